#include "shell/fluid_music_player.h"
#include "shell/modzant.h"
#include "shell/translations.h"
#include "windows/registry.h"

#include <QApplication>
#include <QSessionManager>

using namespace zant;

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ZANT"));
    installItalianTranslations(application);

    ModZANT app(std::make_unique<QtDialogs>(), std::make_unique<DocumentOutput>(),
                std::make_unique<FluidMusicPlayer>(), OfficeSettings::load());
    registerAllWindows(app);
    app.useSettingsFile(OfficeSettings::defaultPath());

    // A project given on the command line (by a file manager, or the README's run command) is
    // loaded now, so that the first click on the splash shows it.
    const QStringList args = QApplication::arguments();
    if (args.size() > 1) {
        if (Result<void> failure = app.openProject(args.at(1)); !failure.ok())
            app.dialogs().message(nullptr, app.constants().messageTitle, failure.error());
    }

    // The desktop session closing: unsaved changes are offered first, and "Annulla" stops the
    // logout where the session allows it.
    QObject::connect(&application, &QGuiApplication::commitDataRequest, &app,
                     [&app](QSessionManager& manager) {
                         if (!manager.allowsInteraction())
                             return;
                         const bool goOn = app.maybeSaveChanges(nullptr);
                         manager.release();
                         if (!goOn)
                             manager.cancel();
                     });

    if (app.hasWindow(win::frmSplash))
        app.showWindow(win::frmSplash);
    else
        app.ShowDataWindow();
    return QApplication::exec();
}
