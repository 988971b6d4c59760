#include "windows/impostazioni.h"

#include "model/file_io.h"
#include "shell/modzant.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace zant {

namespace {

QLineEdit* field(const QString& name, const QString& accessibleName, const QString& toolTip)
{
    auto* edit = new QLineEdit;
    edit->setObjectName(name);
    edit->setAccessibleName(accessibleName);
    edit->setToolTip(toolTip);
    edit->setMinimumWidth(360);
    return edit;
}

// A placeholder of the documents is shown as an empty box.
QString shown(const QString& value, const QString& placeholder)
{
    return value == placeholder ? QString() : value;
}

} // namespace

impostazioni::impostazioni(ModZANT& app, QWidget* parent) : QDialog(parent), m_app(app)
{
    setWindowTitle(QStringLiteral("Impostazioni dello studio"));
    setModal(true);
    m_nome = field(QStringLiteral("nome"), QStringLiteral("Nome dello studio tecnico"),
                   QStringLiteral("il nome che compare sulla copertina e in fondo alla "
                                  "relazione"));
    m_indirizzo = field(QStringLiteral("indirizzo"), QStringLiteral("Indirizzo dello studio"),
                        QStringLiteral("l'indirizzo che compare sotto il nome dello studio"));
    m_progettista =
        field(QStringLiteral("progettista"), QStringLiteral("Progettista"),
              QStringLiteral("chi firma la relazione come progettista; se vuoto firma lo studio"));
    m_progettista->setPlaceholderText(QStringLiteral("se vuoto firma lo studio"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Nome dello studio:"), m_nome);
    form->addRow(QStringLiteral("&Indirizzo:"), m_indirizzo);
    form->addRow(QStringLiteral("&Progettista:"), m_progettista);

    m_file = new QLabel;
    m_file->setObjectName(QStringLiteral("file"));
    m_file->setWordWrap(true);
    m_file->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* buttons = new QDialogButtonBox;
    m_salva = buttons->addButton(QStringLiteral("&Salva"), QDialogButtonBox::AcceptRole);
    m_salva->setObjectName(QStringLiteral("salva"));
    m_salva->setDefault(true);
    m_annulla = buttons->addButton(QStringLiteral("Annulla"), QDialogButtonBox::RejectRole);
    m_annulla->setObjectName(QStringLiteral("annulla"));
    connect(m_salva, &QPushButton::clicked, this, &impostazioni::salva_Click);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_file);
    layout->addWidget(buttons);
}

void impostazioni::showEvent(QShowEvent* event)
{
    // What the documents carry now, each time the window opens.
    const OfficeSettings& office = m_app.office();
    m_nome->setText(shown(office.officeName, OfficeSettings::namePlaceholder()));
    m_indirizzo->setText(shown(office.officeAddress, OfficeSettings::addressPlaceholder()));
    m_progettista->setText(office.designer);
    m_file->setText(m_app.settingsFile().isEmpty()
                        ? QStringLiteral("Le impostazioni valgono fino all'uscita dal programma.")
                        : QStringLiteral("Le impostazioni sono salvate nel file %1.")
                              .arg(displayPath(m_app.settingsFile())));
    m_nome->setFocus();
    QDialog::showEvent(event);
}

void impostazioni::salva_Click()
{
    OfficeSettings office;
    office.officeName = m_nome->text().trimmed();
    office.officeAddress = m_indirizzo->text().trimmed();
    office.designer = m_progettista->text().trimmed();
    if (Result<void> failure = m_app.changeOffice(office); !failure.ok()) {
        m_app.showMessage(this, failure.error());
        return;
    }
    emit m_app.statusNote(QStringLiteral("Impostazioni dello studio salvate."));
    accept();
}

} // namespace zant
