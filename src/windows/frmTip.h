#pragma once

#include <QStringList>
#include <QWidget>

class QLabel;
class QPushButton;

namespace zant {

// "Suggerimento del giorno": the hints of the tips file, one at a time, forward with wrap-around
// and back without.
class frmTip final : public QWidget
{
    Q_OBJECT

public:
    // The tips are read once, from `tipsFile`: by default SuggerimentiZANT.TXT in the program's
    // resources folder.
    explicit frmTip(const QString& tipsFile = defaultTipsFile(), QWidget* parent = nullptr);
    ~frmTip() override;
    Q_DISABLE_COPY_MOVE(frmTip)

    static QString defaultTipsFile();

    QLabel* Picture1() const { return m_picture1; }
    QLabel* Label1() const { return m_label1; }
    QLabel* lblTipText() const { return m_lblTipText; }
    QPushButton* cmdprecedente() const { return m_cmdprecedente; }
    QPushButton* cmdNextTip() const { return m_cmdNextTip; }
    QPushButton* cmdOK() const { return m_cmdOK; }

    const QStringList& tipList() const { return m_tipList; }
    int tipIndex() const { return m_tipIndex; }

    // Fills the list from the file and shows the first tip; false when there is no file to read.
    bool LoadTips(const QString& path);
    void AdvanceTip();
    void DisplayCurrentTip();
    void cmdNextTip_Click();
    void cmdprecedente_Click();
    void cmdOK_Click();

private:
    void buildControls();
    void Form_Load(const QString& tipsFile);

    // The light-bulb picture.
    QLabel* m_picture1 = nullptr;
    // The heading "Non tutti sanno che...".
    QLabel* m_label1 = nullptr;
    QLabel* m_lblTipText = nullptr;
    QPushButton* m_cmdprecedente = nullptr;
    QPushButton* m_cmdNextTip = nullptr;
    QPushButton* m_cmdOK = nullptr;
    QStringList m_tipList;
    int m_tipIndex = 0;
};

// The lines of a text, each a tip: CR LF, LF or a lone CR end a line, an empty line counts, a
// last line without an end counts, and a final line end adds no empty line.
QStringList splitTipLines(const QString& text);

// A light bulb, the picture of the window.
QPixmap drawLightBulb(int width, int height, qreal devicePixelRatio = 1);

} // namespace zant
