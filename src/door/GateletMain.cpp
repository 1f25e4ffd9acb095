#include "GateletU.h"

#include "ProgramMain.h"

int main(int argc, char **argv)
{
    return RunProgram(argc, argv, {QStringLiteral("Gatelet"), QStringLiteral("Vantora Games")},
                      [] { return new TfrmGatelet; });
}
