#pragma once

#include <QWidget>

class QFrame;
class QLabel;
class QPushButton;

namespace zant {

class ModZANT;

// "Servizi di supporto ai clienti": how to reach the publisher for help and for custom work.
class supportoclienti final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(supportoclienti)

public:
    explicit supportoclienti(ModZANT& app, QWidget* parent = nullptr);

    // The contact lines, then the two paragraphs.
    QList<QLabel*> labels() const { return m_labels; }
    QFrame* Line1() const { return m_line1; }
    QFrame* Line2() const { return m_line2; }
    QPushButton* Command1() const { return m_command1; }

    void Command1_Click();

private:
    QList<QLabel*> m_labels;
    QFrame* m_line1 = nullptr;         // the rule above the support paragraphs
    QFrame* m_line2 = nullptr;         // the rule above the custom-work paragraph
    QPushButton* m_command1 = nullptr; // "OK": closes the window
};

} // namespace zant
