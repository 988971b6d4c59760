#pragma once

class QCoreApplication;

namespace zant {

// Qt's own texts (the buttons and labels of the file, colour and print dialogs and of the
// message boxes) in Italian, whatever the system's language. False when the translations are
// not installed: Qt's texts then stay in English.
bool installItalianTranslations(QCoreApplication& application);

} // namespace zant
