#include "KovelaApplication.h"

#include <cstdio>

int main(int argc, char* argv[]) {
    TStartOptions options;
    int exitCode = 0;
    if (!TKovelaApplication::ParseArguments(argc, argv, options, exitCode))
        return exitCode;
    if (options.ShowPaths) {
        // No window system: the paths must be printable over ssh and in a bare package check.
        QCoreApplication core(argc, argv);
        std::fputs(qPrintable(TKovelaApplication::PathsText()), stdout);
        return 0;
    }
    TKovelaApplication app(argc, argv);
    if (!app.Start(options))
        return 1;
    return TKovelaApplication::exec();
}
