#include "windows/supportoclienti.h"
#include "windows/window_style.h"

#include "shell/modzant.h"
#include "shell/twips.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace zant {

namespace {

constexpr int kFormWidth = 7200, kFormHeight = 6450;
constexpr int kLeft = 360, kTextWidth = 6480;

// The publisher and its contacts are made up: the domains are reserved for examples and the
// numbers and postal code belong to no one.
struct ContactLine
{
    const char* text;
    bool heading;
};
constexpr ContactLine kContacts[] = {
    {"MERIDIO software - Servizio clienti", true},
    {"Via dell'Esempio 1 - 00000 Borgofittizio (XX)", false},
    {"Telefono: (+39) 000 000 0001", false},
    {"Fax: (+39) 000 000 0002", false},
    {"Posta elettronica: assistenza@meridio.example.org", false},
    {"Sito internet: www.meridio.example.org", false},
};

const char kSupportParagraph[] =
    "Per ricevere assistenza sull'uso del programma scrivete o telefonate al servizio clienti, "
    "indicando la versione di ZANT (menu \"?\", \"Informazioni su ZANT\"), il sistema in uso e "
    "una breve descrizione del problema; se possibile allegate il file dei dati (ZANT-dati-...) "
    "con cui il problema si presenta. Vi risponderemo entro due giorni lavorativi.";

const char kCustomParagraph[] =
    "Su richiesta MERIDIO software adatta il programma alle esigenze del vostro ufficio "
    "tecnico: modelli di relazione con la vostra intestazione, stampe su misura, limiti di "
    "eventi e legami più ampi, scambio di dati con altri programmi. Chiedete un preventivo "
    "senza impegno all'indirizzo di posta elettronica indicato sopra.";

QLabel* textLabel(QWidget* parent, int index, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QStringLiteral("Label%1").arg(index));
    label->setTextFormat(Qt::PlainText);
    return label;
}

QFrame* separatorLine(QWidget* parent, const QString& name, int top)
{
    auto* line = new QFrame(parent);
    line->setObjectName(name);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(twipsRect(kLeft, top, kTextWidth, 30, parent));
    return line;
}

} // namespace

supportoclienti::supportoclienti(ModZANT&, QWidget* parent) : QWidget(parent, Qt::Window)
{
    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);
    setWindowTitle(QStringLiteral("Servizi di supporto ai clienti"));
    setFixedSize(twipsRect(0, 0, kFormWidth, kFormHeight, this).size());

    QFont text;
    text.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    text.setPointSize(9);
    QFont heading = text;
    heading.setPointSize(11);
    heading.setBold(true);

    int top = 300;
    int index = 1;
    for (const ContactLine& contact : kContacts) {
        QLabel* label = textLabel(this, index++, QString::fromUtf8(contact.text));
        label->setFont(contact.heading ? heading : text);
        if (contact.heading) {
            QPalette navy = label->palette();
            navy.setColor(QPalette::WindowText, kCaptionColour);
            label->setPalette(navy);
        }
        const int height = contact.heading ? 390 : 285;
        label->setGeometry(twipsRect(kLeft, top, kTextWidth, height, this));
        top += height + (contact.heading ? 60 : 0);
        m_labels << label;
    }

    m_line1 = separatorLine(this, QStringLiteral("Line1"), 2520);

    const auto paragraph = [&](const char* body, int paragraphTop) {
        QLabel* label = textLabel(this, index++, QString::fromUtf8(body));
        label->setFont(text);
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setGeometry(twipsRect(kLeft, paragraphTop, kTextWidth, 1320, this));
        m_labels << label;
    };
    paragraph(kSupportParagraph, 2700);
    m_line2 = separatorLine(this, QStringLiteral("Line2"), 4140);
    paragraph(kCustomParagraph, 4320);

    m_command1 = new QPushButton(QStringLiteral("OK"), this);
    m_command1->setObjectName(QStringLiteral("Command1"));
    m_command1->setDefault(true);
    m_command1->setGeometry(twipsRect(5520, 5820, 1320, 420, this));
    connect(m_command1, &QPushButton::clicked, this, &supportoclienti::Command1_Click);
}

void supportoclienti::Command1_Click()
{
    hide();
}

} // namespace zant
