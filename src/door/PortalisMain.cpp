#include "PortalisU.h"

#include "ProgramMain.h"

int main(int argc, char **argv)
{
    return RunProgram(argc, argv, {QStringLiteral("Portalis"), QStringLiteral("Vantora Games")},
                      [] { return new TfrmPortalis; });
}
