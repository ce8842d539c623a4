#include <iostream>

#include "app/cli/Cli.h"
#include "core/io/SaveTemporary.h"

int main(int argc, char** argv)
{
    vexora::installSaveInterruptCleanup();
    std::vector<std::string> args(argv + 1, argv + argc);
    return vexora::cli::run(args, std::cout, std::cerr);
}
