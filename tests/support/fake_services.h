#pragma once

#include "shell/dialogs.h"
#include "shell/music_player.h"
#include "support/fake_document_output.h"

#include <QPrinter>
#include <QStringList>
#include <QTemporaryDir>

#include <deque>
#include <optional>

namespace zant::test {

// Answers every dialog from queues filled in advance and records what was asked, so a GUI test
// never blocks on a modal window. An unexpected question is answered No, an unexpected file
// dialog is cancelled, and both are recorded.
class FakeDialogs final : public Dialogs
{
public:
    struct Shown
    {
        QString title;
        Message message;
    };

    std::vector<Shown> messages;
    QStringList questions; // "title|text"
    QStringList
        fileDialogs; // "open|title|filters|selected" or "save|title|filters|selected|initial"
    std::deque<bool> answers;
    // Answers to "Salvare le modifiche al progetto?"; unexpected ones cancel.
    std::deque<SaveChoice> saveAnswers;
    QStringList saveQuestions; // "title|text"
    std::deque<QString> fileNames;
    // Answers to the boxes with buttons of their own (index of the button); unexpected ones are
    // closed (-1).
    std::deque<int> choiceAnswers;
    QStringList choices; // "title|text|button 1/button 2/..."
    // Folder offered by the last open dialog of project files.
    QString lastProjectFolder;
    std::deque<std::optional<QColor>> colours;
    std::optional<QColor> lastColourOffered;
    std::deque<bool> printAnswers;
    // Where an accepted print dialog sends the pages: a PDF file instead of a printer.
    QString printToPdf;

    void message(QWidget*, const QString& title, const Message& message) override
    {
        messages.push_back({title, message});
    }
    bool question(QWidget*, const QString& title, const QString& text, bool defaultYes) override
    {
        questions << title + QLatin1Char('|') + text + (defaultYes ? "|Yes" : "|No");
        if (answers.empty())
            return false;
        const bool a = answers.front();
        answers.pop_front();
        return a;
    }
    SaveChoice saveChanges(QWidget*, const QString& title, const QString& text) override
    {
        saveQuestions << title + QLatin1Char('|') + text;
        if (saveAnswers.empty())
            return SaveChoice::Cancel;
        const SaveChoice a = saveAnswers.front();
        saveAnswers.pop_front();
        return a;
    }
    int choose(QWidget*, const QString& title, const Message& message,
               const QStringList& buttons) override
    {
        choices << title + QLatin1Char('|') + message.text + QLatin1Char('|') +
                       buttons.join(QLatin1Char('/'));
        if (choiceAnswers.empty())
            return -1;
        const int a = choiceAnswers.front();
        choiceAnswers.pop_front();
        return a;
    }
    QString openProjectFileName(QWidget* parent, const QString& title, const QString& folder,
                                const std::function<bool(const QString&)>& isProject) override
    {
        lastProjectFolder = folder;
        return Dialogs::openProjectFileName(parent, title, folder, isProject);
    }
    QString openFileName(QWidget*, const QString& title, const QString& filters,
                         int selected) override
    {
        fileDialogs << QStringLiteral("open|%1|%2|%3").arg(title, filters).arg(selected);
        return nextFileName();
    }
    QString saveFileName(QWidget*, const QString& title, const QString& filters, int selected,
                         const QString& initial) override
    {
        fileDialogs
            << QStringLiteral("save|%1|%2|%3|%4").arg(title, filters).arg(selected).arg(initial);
        return nextFileName();
    }
    std::optional<QColor> color(QWidget*, const QColor& initial) override
    {
        lastColourOffered = initial;
        if (colours.empty())
            return std::nullopt;
        auto c = colours.front();
        colours.pop_front();
        return c;
    }
    bool print(QWidget*, QPrinter& printer) override
    {
        if (printAnswers.empty())
            return false;
        const bool a = printAnswers.front();
        printAnswers.pop_front();
        if (a && !printToPdf.isEmpty()) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(printToPdf);
        }
        return a;
    }

    QString lastMessageText() const
    {
        return messages.empty() ? QString() : messages.back().message.text;
    }

private:
    QString nextFileName()
    {
        if (fileNames.empty())
            return QString();
        QString name = fileNames.front();
        fileNames.pop_front();
        return name;
    }
};

class FakeMusicPlayer final : public MusicPlayer
{
public:
    QStringList commands;
    void open(const QString& file) override { commands << QStringLiteral("open ") + file; }
    void play() override { commands << QStringLiteral("play"); }
    void pause() override { commands << QStringLiteral("pause"); }
    void close() override { commands << QStringLiteral("close"); }
};

} // namespace zant::test
