#pragma once

#include "report/direct_print.h"
#include "report/documents.h"
#include "report/print_commands.h"
#include "windows/main_window_base.h"

#include <array>
#include <functional>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace zant {

// The title-page window: the seven texts that head the report, the office that signs it, the
// choice between the Word report and the direct print, and the window's commands. The texts
// live in the application state (they travel in the project file too); the window edits them
// there and keeps only its own title-page file name.
class frontespizio final : public MainWindowBase
{
    Q_OBJECT

public:
    explicit frontespizio(ModZANT& app, QWidget* parent = nullptr);
    ~frontespizio() override;
    Q_DISABLE_COPY_MOVE(frontespizio)

    // A typed change of one of the seven fields.
    void campo_Change(TitlePage::Field field, const QString& text);
    void Labelstudio_Click();
    void labelindirizzo_Click();

    // Commands.
    void apri_Click();
    void salva_Click();
    void salvanome_Click();
    void eliminare_click();
    void stampa_Click();
    // The cronoprogramma dei lavori, in Word or printed, as "Come stampare" says.
    void cronoprogramma_Click();
    void solodati_Click();
    void controllodat_Click();
    void cancella_click();
    void aiuto_Click();
    void fin3_Click();
    void esci_Click();

    // Shows the title page held by the application (after a project file was opened).
    void showTitlePage();

    // For tests and the other windows.
    QLineEdit* campo(TitlePage::Field field) const { return m_campi[field]; }
    QLabel* Labelstudio() const { return m_Labelstudio; }
    QLabel* labelindirizzo() const { return m_labelindirizzo; }
    // Option buttons 1 (Word) and 2 (direct print).
    QRadioButton* comestampo(int index) const { return m_comestampo[index - 1]; }
    QString currentFile() const { return m_currentFile; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildFields();
    void buildCommands();
    bool SaveTitlePageFile();
    // Shows what a document written to a file gives: the check's refusal, the results it was
    // printed from, where it is.
    void showPrinted(PrintResult result);
    // Prints pages laid out from the project's results on a printer the user picks; `document`
    // names them in the status texts ("la relazione").
    using PageLayout = std::function<std::vector<PrintPage>(const ReportData&)>;
    void printPages(const QString& document, const PageLayout& layout);
    void WarnFieldLength(TitlePage::Field field, const QString& text);
    void setStatus(const QString& text);
    // The guidance box in the warning colour, or back in its own.
    void setPassoWarning(bool warning);
    // Shows the check's fault and brings the data window forward, where the data are mended.
    void refuseForData(const Message& fault);
    void storeResults(ScheduleResults results);

    std::array<QLineEdit*, TitlePage::kFieldCount> m_campi{};
    std::array<QRadioButton*, 2> m_comestampo{};
    QLabel* m_Labelstudio = nullptr;
    QLabel* m_labelindirizzo = nullptr;
    // The title-page file of this window; the data window keeps its own.
    QString m_currentFile;
    // Fields whose length warning is showing.
    std::array<bool, TitlePage::kFieldCount> m_lengthWarned{};
};

} // namespace zant
