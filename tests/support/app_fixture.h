#pragma once

#include "shell/modzant.h"
#include "support/document_fixture.h"
#include "support/fake_services.h"

namespace zant::test {

// The application state with every service replaced by its test double, as the GUI tests
// build it: dialogs answered in advance, documents in a temporary folder, no sound.
struct AppWithFakes
{
    FakeDialogs* dialogs = new FakeDialogs;
    FakeDocumentOutput* output = new FakeDocumentOutput;
    FakeMusicPlayer* music = new FakeMusicPlayer;
    ModZANT app{std::unique_ptr<Dialogs>(dialogs), std::unique_ptr<DocumentOutput>(output),
                std::unique_ptr<MusicPlayer>(music), OfficeSettings{"Studio", "Via Roma 1"}};
    // How many times the program would have ended.
    int processEnded = 0;

    AppWithFakes()
    {
        app.endProcess = [this] { ++processEnded; };
    }
};

// The application with a project as if it had been opened from `dataFile`.
inline void giveProject(ModZANT& app, Project project, TitlePage titlePage = {},
                        const QString& dataFile = {})
{
    app.loadProject({std::move(project), std::move(titlePage)}, dataFile);
}

// The same project and title page, as if they had been read from `dataFile`.
inline void giveDataFile(ModZANT& app, const QString& dataFile)
{
    giveProject(app, app.project(), app.titlePage(), dataFile);
}

} // namespace zant::test
