#include "shell/dialogs.h"

#include <QColorDialog>
#include <QDateTime>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSortFilterProxyModel>

#include <algorithm>
#include <map>
#include <vector>

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

// The first filter of the open dialog of project files: directories, the names that begin with
// the prefix, and the files whose content is a project's.
class ProjectFileFilter final : public QSortFilterProxyModel
{
public:
    ProjectFileFilter(std::function<bool(const QString&)> isProjectFile, QObject* parent)
        : QSortFilterProxyModel(parent), m_isProjectFile(std::move(isProjectFile))
    {
    }

    void setActive(bool active)
    {
        m_active = active;
        invalidateFilter();
    }

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override
    {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (!m_active || !files)
            return true;
        const QModelIndex index = files->index(row, 0, parent);
        if (files->isDir(index) ||
            files->fileName(index).startsWith(QLatin1String("ZANT-dati-"), Qt::CaseInsensitive))
            return true;
        // Each file is read once, and again only when it changed.
        const QFileInfo info = files->fileInfo(index);
        const QString key = info.absoluteFilePath() + QLatin1Char('|') +
                            QString::number(info.lastModified().toMSecsSinceEpoch());
        const auto known = m_seen.find(key);
        if (known != m_seen.end())
            return known->second;
        const bool project = m_isProjectFile(info.absoluteFilePath());
        m_seen[key] = project;
        return project;
    }

private:
    std::function<bool(const QString&)> m_isProjectFile;
    bool m_active = true;
    mutable std::map<QString, bool> m_seen;
};

} // namespace

const QString kProjectOpenFilters = QStringLiteral("Progetti ZANT | *|Tutti i file (*.*) | *.*");

QString Dialogs::openProjectFileName(QWidget* parent, const QString& title, const QString&,
                                     const std::function<bool(const QString&)>&)
{
    return openFileName(parent, title, kProjectOpenFilters, 1);
}

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
    QMessageBox box(iconOf(message.kind), title, message.text, QMessageBox::Ok, parent);
    box.exec();
}

bool QtDialogs::question(QWidget* parent, const QString& title, const QString& text,
                         bool defaultYes)
{
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No, parent);
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

int QtDialogs::choose(QWidget* parent, const QString& title, const Message& message,
                      const QStringList& buttons)
{
    QMessageBox box(iconOf(message.kind), title, message.text, QMessageBox::NoButton, parent);
    std::vector<QPushButton*> pressable;
    for (qsizetype i = 0; i < buttons.size(); ++i)
        pressable.push_back(box.addButton(buttons[i], i + 1 == buttons.size()
                                                          ? QMessageBox::RejectRole
                                                          : QMessageBox::AcceptRole));
    if (!pressable.empty()) {
        box.setDefaultButton(pressable.front());
        box.setEscapeButton(pressable.back());
    }
    box.exec();
    const auto chosen = std::find(pressable.begin(), pressable.end(), box.clickedButton());
    return chosen == pressable.end() ? -1 : static_cast<int>(chosen - pressable.begin());
}

QString QtDialogs::openProjectFileName(QWidget* parent, const QString& title, const QString& folder,
                                       const std::function<bool(const QString&)>& isProjectFile)
{
    // Qt's own dialog: only there can the list be filtered by what the files hold.
    QFileDialog dialog(parent, title, folder);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    const QStringList filters = qtFileFilters(kProjectOpenFilters);
    dialog.setNameFilters(filters);
    auto* proxy = new ProjectFileFilter(isProjectFile, &dialog);
    dialog.setProxyModel(proxy);
    QObject::connect(&dialog, &QFileDialog::filterSelected, proxy,
                     [proxy, first = filters.value(0)](const QString& filter) {
                         proxy->setActive(filter == first);
                     });
    dialog.selectNameFilter(filters.value(0));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
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
