#pragma once

#include "model/message.h"

#include <QColor>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QPrinter;
class QWidget;

namespace zant {

// The answer to the question about unsaved changes.
enum class SaveChoice
{
    Save,
    Discard,
    Cancel
};

// Every modal dialog of the program goes through here, so that tests can answer in advance.
class Dialogs
{
public:
    virtual ~Dialogs() = default;

    // A message box with the icon of the message's kind and an OK button.
    virtual void message(QWidget* parent, const QString& title, const Message& message) = 0;

    // A Yes/No question with the question icon; true for Yes.
    virtual bool question(QWidget* parent, const QString& title, const QString& text,
                          bool defaultYes) = 0;

    // "Salva", "Non salvare", "Annulla", with the warning icon; closing the box cancels.
    virtual SaveChoice saveChanges(QWidget* parent, const QString& title, const QString& text) = 0;

    // A message box with the icon of the message's kind and one button for each of `buttons`
    // (the first is the default, the last also answers Esc). The index of the button pressed;
    // -1 when the box was closed otherwise.
    virtual int choose(QWidget* parent, const QString& title, const Message& message,
                       const QStringList& buttons) = 0;

    // File dialogs. `filters` use the program's own form, "Tutti i file (*.*) | *.*|File
    // ZANT-dati- | ZANT-dati-*": description and pattern separated by "|", pairs by "|".
    // `selectedFilter` counts from 1. An empty result means cancelled.
    virtual QString openFileName(QWidget* parent, const QString& title, const QString& filters,
                                 int selectedFilter) = 0;
    virtual QString saveFileName(QWidget* parent, const QString& title, const QString& filters,
                                 int selectedFilter, const QString& initialName) = 0;
    // The open dialog of project data files: its first filter shows the files whose name begins
    // with "ZANT-dati-" and those whose first record is a project's header (isProjectFile), the
    // second one every file. Asked as an ordinary open dialog unless overridden.
    virtual QString openProjectFileName(QWidget* parent, const QString& title,
                                        const QString& folder,
                                        const std::function<bool(const QString&)>& isProjectFile);

    // The colour dialog, starting from `initial`; nothing when cancelled.
    virtual std::optional<QColor> color(QWidget* parent, const QColor& initial) = 0;

    // The print dialog; false when cancelled.
    virtual bool print(QWidget* parent, QPrinter& printer) = 0;
};

// The same dialogs shown with Qt.
class QtDialogs final : public Dialogs
{
public:
    void message(QWidget* parent, const QString& title, const Message& message) override;
    bool question(QWidget* parent, const QString& title, const QString& text,
                  bool defaultYes) override;
    SaveChoice saveChanges(QWidget* parent, const QString& title, const QString& text) override;
    QString openFileName(QWidget* parent, const QString& title, const QString& filters,
                         int selectedFilter) override;
    QString saveFileName(QWidget* parent, const QString& title, const QString& filters,
                         int selectedFilter, const QString& initialName) override;
    int choose(QWidget* parent, const QString& title, const Message& message,
               const QStringList& buttons) override;
    QString openProjectFileName(QWidget* parent, const QString& title, const QString& folder,
                                const std::function<bool(const QString&)>& isProjectFile) override;
    std::optional<QColor> color(QWidget* parent, const QColor& initial) override;
    bool print(QWidget* parent, QPrinter& printer) override;
};

// The filters of the open dialog of project data files, in the program's form.
extern const QString kProjectOpenFilters;

// "A | *.a|B | B-*" -> {"A (*.a)", "B (B-*)"}: Qt's filter syntax, the prefix patterns kept.
QStringList qtFileFilters(const QString& filters);

} // namespace zant
