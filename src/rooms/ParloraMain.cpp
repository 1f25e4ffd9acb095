#include "ParloraU.h"

#include "ProgramMain.h"

int main(int argc, char **argv)
{
    return RunProgram(argc, argv, {QStringLiteral("Parlora"), QStringLiteral("Vantora Chat")},
                      [] { return new TParloras; });
}
