#include "cli/cli.h"

#include <QGuiApplication>

#include <cstring>
#include <memory>

int main(int argc, char* argv[])
{
    // The direct print, the guide's network picture, the pictures of the plan and the full report
    // that holds them draw with fonts, which needs a GUI application; no window is shown, so no
    // display is needed either. Everything else runs without one.
    std::unique_ptr<QCoreApplication> app;
    bool drawing = false;
    for (const char* command : {"guide", "diagram", "gantt", "report", "cronoprogramma"})
        drawing = drawing || (argc > 1 && std::strcmp(argv[1], command) == 0);
    for (int i = 1; i < argc; ++i)
        drawing = drawing || std::strcmp(argv[i], "--direct") == 0;
    if (drawing) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    return zant::finishOutput(out, err, zant::runCli(args, out, err));
}
