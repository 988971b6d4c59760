#pragma once

#include <QWidget>

class QFrame;
class QLabel;
class QPushButton;

namespace zant {

class ModZANT;

// "Informazioni su ZANT": product, subtitle, version and years, publisher.
class informa final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(informa)

public:
    explicit informa(ModZANT& app, QWidget* parent = nullptr);

    QLabel* picIcon() const { return m_picIcon; }
    QLabel* Label1() const { return m_label1; }
    QLabel* Label2() const { return m_label2; }
    QLabel* Label3() const { return m_label3; }
    QLabel* Label5() const { return m_label5; }
    QLabel* Label6() const { return m_label6; }
    QFrame* Line1() const { return m_line1; }
    QFrame* Line2() const { return m_line2; }
    QFrame* Line3() const { return m_line3; }
    QPushButton* cmdOK() const { return m_cmdOK; }

    void cmdOK_Click();

private:
    void buildControls();
    void Form_Load();

    ModZANT& m_app;
    QLabel* m_picIcon = nullptr;
    QLabel* m_label1 = nullptr; // the program's name
    QLabel* m_label2 = nullptr; // the subtitle under the name
    QLabel* m_label3 = nullptr; // the publisher
    QLabel* m_label5 = nullptr; // the systems the program was written for
    QLabel* m_label6 = nullptr; // the version line
    QFrame* m_line1 = nullptr;  // the rule under the name and subtitle
    QFrame* m_line2 = nullptr;  // the rule above the publisher
    QFrame* m_line3 = nullptr;  // the rule above the buttons
    QPushButton* m_cmdOK = nullptr;
};

// The year the program was built, from the compiler's date.
int buildYear();

// "versione 3.04.05   1985- 2011": the version, then the years from the first release to the
// build.
QString aboutVersionLine(const QString& versionText, const QString& firstReleaseDate,
                         int buildYear);

} // namespace zant
