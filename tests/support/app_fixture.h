#pragma once

#include "shell/modzant.h"
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
};

} // namespace zant::test
