#pragma once

#include "model/constants.h"
#include "model/project.h"
#include "model/title_page.h"
#include "report/document_output.h"
#include "report/office_settings.h"
#include "schedule/schedule.h"
#include "shell/dialogs.h"
#include "shell/music_player.h"

#include <QColor>
#include <QDate>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <map>
#include <memory>

namespace zant {

// Names of the windows, as the program refers to them.
namespace win {
inline const QString dati = QStringLiteral("dati");
inline const QString risultati = QStringLiteral("risultati");
inline const QString frontespizio = QStringLiteral("frontespizio");
inline const QString sommario = QStringLiteral("sommario");
inline const QString manuale = QStringLiteral("manuale");
inline const QString guidafunzionamento = QStringLiteral("guidafunzionamento");
inline const QString guidastampa = QStringLiteral("guidastampa");
inline const QString guidadati = QStringLiteral("guidadati");
inline const QString guidarisultati = QStringLiteral("guidarisultati");
inline const QString guidafrontespizio = QStringLiteral("guidafrontespizio");
inline const QString metodo = QStringLiteral("metodo");
inline const QString guidaschema = QStringLiteral("guidaschema");
inline const QString frmTip = QStringLiteral("frmTip");
inline const QString supportoclienti = QStringLiteral("supportoclienti");
inline const QString informa = QStringLiteral("informa");
inline const QString frmSplash = QStringLiteral("frmSplash");
inline const QString reticolo = QStringLiteral("reticolo");
inline const QString gantt = QStringLiteral("gantt");
} // namespace win

// The light grey that the three main windows can share.
inline const QColor kLightGrey(192, 192, 192);

// The application state shared by all windows: the project, its last results, the title page,
// the check hand-shake, the data window's current file, the shared constants and the services
// behind which the dialogs, the documents and the music stand. It also creates each window the
// first time it is referred to, and runs the exit procedure.
class ModZANT final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ModZANT)

public:
    using WindowFactory = std::function<QWidget*(ModZANT&)>;

    ModZANT(std::unique_ptr<Dialogs> dialogs, std::unique_ptr<DocumentOutput> output,
            std::unique_ptr<MusicPlayer> music, OfficeSettings office);
    ~ModZANT() override;

    Project project;
    ScheduleResults results;
    TitlePage titlePage;
    int checkFailed = 0;
    QString currentDataFile;
    SharedConstants constants;
    OfficeSettings office;
    QColor lastColor = Qt::white;
    // Today's date, replaceable by tests.
    std::function<QDate()> today = [] { return QDate::currentDate(); };

    Dialogs& dialogs() { return *m_dialogs; }
    DocumentOutput& output() { return *m_output; }
    MusicPlayer& music() { return *m_music; }

    void InitSharedConstants();
    void InitMessageTitles();

    // Windows are made by factories registered by the application, so that this layer does not
    // depend on the window classes.
    void registerWindow(const QString& name, WindowFactory factory);
    // Whether the program has a window of that name.
    bool hasWindow(const QString& name) const { return m_factories.count(name) > 0; }
    // The window, created on first reference.
    QWidget* window(const QString& name);
    template <typename W>
    W* windowAs(const QString& name)
    {
        return qobject_cast<W*>(window(name));
    }
    // The window if it exists, without creating it.
    QWidget* existingWindow(const QString& name) const;
    bool isLoaded(const QString& name) const { return existingWindow(name) != nullptr; }
    // Shows (creating it if needed) and brings to the front.
    void showWindow(const QString& name);
    // Closes and destroys a window, if it exists; never creates it.
    void unloadWindow(const QString& name);

    void ShowDataWindow() { showWindow(win::dati); }

    // The exit procedure of every exit command: asks, and on Yes closes every window and brings
    // the splash back with its closing caption and music.
    void ConfirmExit(QWidget* parent);

    // Sets the light grey on the three main windows: those already loaded now, the others when
    // they load (they start with applyMainBackground).
    void greyMainWindows();
    void applyMainBackground(QWidget* mainWindow) const;

    // Message with the title of the data checks and input warnings.
    void showMessage(QWidget* parent, const Message& message);

signals:
    // The splash has to show its closing caption ("elaborazione eseguita con").
    void splashReturned();
    // New results were computed (results command, or a print that computes before printing).
    void resultsChanged();
    // The title page was replaced (a project file was opened).
    void titlePageChanged();

private:
    std::unique_ptr<Dialogs> m_dialogs;
    std::unique_ptr<DocumentOutput> m_output;
    std::unique_ptr<MusicPlayer> m_music;
    std::map<QString, WindowFactory> m_factories;
    std::map<QString, QPointer<QWidget>> m_windows;
    bool m_mainWindowsGrey = false;
};

// Gives a window a plain background colour.
void setBackground(QWidget* w, const QColor& colour);
QColor background(const QWidget* w);

} // namespace zant
