#include "CardamoU.h"

#include "ProgramMain.h"

int main(int argc, char **argv)
{
    return RunProgram(argc, argv, {QStringLiteral("Cardamo"), QStringLiteral("Vantora Games")},
                      [] { return new TfrmCardamo; });
}
