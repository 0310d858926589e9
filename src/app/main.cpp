#include "KovelaApplication.h"

int main(int argc, char* argv[]) {
    TStartOptions options;
    int exitCode = 0;
    if (!TKovelaApplication::ParseArguments(argc, argv, options, exitCode))
        return exitCode;
    TKovelaApplication app(argc, argv);
    if (!app.Start(options))
        return 1;
    return TKovelaApplication::exec();
}
