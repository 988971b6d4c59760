#include "shell/dialogs.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>

namespace zant {

namespace {

QMessageBox::Icon iconOf(MessageKind kind)
{
    switch (kind) {
    case MessageKind::Critical:
        return QMessageBox::Critical;
    case MessageKind::Exclamation:
        return QMessageBox::Warning;
    case MessageKind::Information:
        return QMessageBox::Information;
    case MessageKind::Question:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

// Messages join their lines with CR; the box wants LF.
QString boxText(const QString& text)
{
    QString t = text;
    return t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

} // namespace

QStringList qtFileFilters(const QString& filters)
{
    const QStringList parts = filters.split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString pattern = parts[i + 1].trimmed();
        // "*.*" meant every file; for Qt that is "*" (names without a dot included).
        if (pattern == QLatin1String("*.*"))
            pattern = QStringLiteral("*");
        out << parts[i].trimmed().replace(QStringLiteral(" (*.*)"), QString()) +
                   QStringLiteral(" (") + pattern + QLatin1Char(')');
    }
    return out;
}

void QtDialogs::message(QWidget* parent, const QString& title, const Message& message)
{
    QMessageBox box(iconOf(message.kind), title, boxText(message.text), QMessageBox::Ok, parent);
    box.exec();
}

bool QtDialogs::question(QWidget* parent, const QString& title, const QString& text,
                         bool defaultYes)
{
    QMessageBox box(QMessageBox::Question, title, boxText(text), QMessageBox::Yes | QMessageBox::No,
                    parent);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("&Sì"));
    box.button(QMessageBox::No)->setText(QStringLiteral("&No"));
    box.setDefaultButton(defaultYes ? QMessageBox::Yes : QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

SaveChoice QtDialogs::saveChanges(QWidget* parent, const QString& title, const QString& text)
{
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::NoButton, parent);
    QPushButton* save = box.addButton(QStringLiteral("&Salva"), QMessageBox::AcceptRole);
    QPushButton* discard =
        box.addButton(QStringLiteral("&Non salvare"), QMessageBox::DestructiveRole);
    QPushButton* cancel = box.addButton(QStringLiteral("Annulla"), QMessageBox::RejectRole);
    box.setDefaultButton(save);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == save)
        return SaveChoice::Save;
    if (box.clickedButton() == discard)
        return SaveChoice::Discard;
    return SaveChoice::Cancel;
}

QString QtDialogs::openFileName(QWidget* parent, const QString& title, const QString& filters,
                                int selectedFilter)
{
    const QStringList list = qtFileFilters(filters);
    QString selected = list.value(selectedFilter - 1);
    return QFileDialog::getOpenFileName(parent, title, QString(), list.join(QStringLiteral(";;")),
                                        &selected);
}

QString QtDialogs::saveFileName(QWidget* parent, const QString& title, const QString& filters,
                                int selectedFilter, const QString& initialName)
{
    const QStringList list = qtFileFilters(filters);
    QString selected = list.value(selectedFilter - 1);
    return QFileDialog::getSaveFileName(parent, title, initialName, list.join(QStringLiteral(";;")),
                                        &selected);
}

std::optional<QColor> QtDialogs::color(QWidget* parent, const QColor& initial)
{
    const QColor c = QColorDialog::getColor(initial, parent, QStringLiteral("Colore di sfondo"));
    if (!c.isValid())
        return std::nullopt;
    return c;
}

bool QtDialogs::print(QWidget* parent, QPrinter& printer)
{
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace zant
