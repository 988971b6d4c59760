#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace zant {

class ModZANT;

// "Impostazioni dello studio": the office's name and address and the designer who signs the
// reports, written to the program's settings file and used at once by the title page and by
// every document made afterwards.
class impostazioni final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(impostazioni)

public:
    explicit impostazioni(ModZANT& app, QWidget* parent = nullptr);

    QLineEdit* nome() const { return m_nome; }
    QLineEdit* indirizzo() const { return m_indirizzo; }
    QLineEdit* progettista() const { return m_progettista; }
    QPushButton* salva() const { return m_salva; }
    QPushButton* annulla() const { return m_annulla; }

    // Stores what was typed; on failure says why and stays open with the text as typed.
    void salva_Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    ModZANT& m_app;
    QLineEdit* m_nome = nullptr;
    QLineEdit* m_indirizzo = nullptr;
    QLineEdit* m_progettista = nullptr;
    QLabel* m_file = nullptr;
    QPushButton* m_salva = nullptr;
    QPushButton* m_annulla = nullptr;
};

} // namespace zant
