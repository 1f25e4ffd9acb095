#include "DoodlixTableU.h"

#include "ProgramMain.h"

int main(int argc, char **argv)
{
    return RunProgram(argc, argv, {QStringLiteral("Doodlixf"), QStringLiteral("Doodlix II")},
                      [] { return new TfrmDoodlixTable; });
}
