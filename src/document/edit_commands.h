#pragma once

#include "model/message.h"
#include "model/project.h"
#include "model/title_page.h"

#include <QUndoCommand>

#include <memory>
#include <vector>

namespace zant {

class ProjectDocument;

// The undoable edits of the project and its title page. Every change the windows make goes
// through one of these, pushed with ProjectDocument::edit(): the command applies the model's
// operation, and its undo puts back exactly what was there before. Undo and redo tell the windows
// through ProjectDocument::projectRestored / titlePageChanged, so they show the restored state.
//
// Several edits can form one step: put them in a CompoundEditCommand (all or nothing), or
// push them between ProjectDocument::undoStack().beginMacro() and endMacro().
class EditCommand : public QUndoCommand
{
public:
    EditCommand(ProjectDocument& document, const QString& text, QUndoCommand* parent = nullptr);

    // Applies the edit; a refusal leaves everything as it was. Redo applies it again.
    virtual Result<void> apply() = 0;
    // Puts back what apply() changed.
    virtual void revert() = 0;
    // The first apply, by ProjectDocument::edit before it pushes the command: the push's own
    // redo then leaves the edit as it is.
    Result<void> applyBeforePush();

    void redo() final;
    void undo() final;

protected:
    // Tells the windows what changed after an undo or a later redo.
    virtual void announce();
    // The project and the title page the edits change.
    Project& project();
    TitlePage& titlePage();

    ProjectDocument& m_document;

private:
    bool m_applied = false;
};

// A typed description. Keys typed into the same box in one go merge into one step.
class SetDescriptionCommand final : public EditCommand
{
public:
    SetDescriptionCommand(ProjectDocument& document, int event, const QString& text, int session);
    Result<void> apply() override;
    int id() const override { return 1; }
    bool mergeWith(const QUndoCommand* other) override;

    void revert() override;

private:
    int m_event;
    QString m_text;
    QString m_before;
    int m_session;
};

// A text of an activity typed in its link row (its name, its category). Keys typed into the
// same box in one go merge into one step.
class SetActivityTextCommand : public EditCommand
{
public:
    bool mergeWith(const QUndoCommand* other) override;
    Result<void> apply() override;
    void revert() override;

protected:
    SetActivityTextCommand(ProjectDocument& document, const QString& what, int event, int slot,
                           const QString& text, int session);
    virtual QString stored() = 0;
    virtual Result<void> store(const QString& text) = 0;

    int m_event;
    int m_slot;

private:
    QString m_text;
    QString m_before;
    int m_session;
};

// The name of an activity; an empty text gives the activity back the name of the event it
// leads to.
class SetActivityNameCommand final : public SetActivityTextCommand
{
public:
    SetActivityNameCommand(ProjectDocument& document, int event, int slot, const QString& text,
                           int session);
    // Ids are one per class: the undo stack offers a command to merge with the one before it
    // whenever their ids match, and each mergeWith reads the other as its own class.
    int id() const override { return 5; }

private:
    QString stored() override;
    Result<void> store(const QString& text) override;
};

// The amount of an activity, typed in its link row: one step per amount stored.
class SetActivityAmountCommand final : public EditCommand
{
public:
    SetActivityAmountCommand(ProjectDocument& document, int event, int slot, Cents amount);
    Result<void> apply() override;

    void revert() override;

private:
    int m_event;
    int m_slot;
    Cents m_amount;
    Cents m_before = 0;
};

// The category of work of an activity.
class SetActivityCategoryCommand final : public SetActivityTextCommand
{
public:
    SetActivityCategoryCommand(ProjectDocument& document, int event, int slot, const QString& text,
                               int session);
    int id() const override { return 6; }

private:
    QString stored() override;
    Result<void> store(const QString& text) override;
};

// A row "*" inserted before event k, every target >= k moved up by one.
class InsertEventCommand final : public EditCommand
{
public:
    InsertEventCommand(ProjectDocument& document, int k);
    Result<void> apply() override;

    void revert() override;

private:
    int m_k;
};

// Event k removed with the links that led to it; undo puts back the event, its links and every
// removed link in its old slot.
class DeleteEventCommand final : public EditCommand
{
public:
    DeleteEventCommand(ProjectDocument& document, int k);
    Result<void> apply() override;

    void revert() override;

private:
    struct RemovedLink
    {
        int event;
        int slot;
        Link link;
    };
    int m_k;
    Event m_event;
    std::vector<RemovedLink> m_removed;
};

// The edits of one event's link slots: target, duration, slot insert and delete. The event's
// slots as they were are kept and put back by undo.
class LinkEditCommand final : public EditCommand
{
public:
    enum Kind
    {
        Target,
        Days,
        InsertSlot,
        DeleteSlot
    };
    // `value` is the target or the days; unused for slot inserts and deletes. Consecutive
    // changes of the same slot's target or days within one edit session (a scroll-bar drag)
    // merge into one step.
    LinkEditCommand(ProjectDocument& document, Kind kind, int event, int slot, double value = 0);
    Result<void> apply() override;
    int id() const override { return 2; }
    bool mergeWith(const QUndoCommand* other) override;

    void revert() override;

private:
    Kind m_kind;
    int m_event;
    int m_slot;
    double m_value;
    Event m_before;
    int m_session;
};

// The start date; consecutive changes within one edit session (a drag of the bar) are one step.
class SetStartDateCommand final : public EditCommand
{
public:
    SetStartDateCommand(ProjectDocument& document, const QString& text);
    Result<void> apply() override;
    int id() const override { return 3; }
    bool mergeWith(const QUndoCommand* other) override;

    void revert() override;

private:
    QString m_text;
    QString m_before;
    int m_session;
};

// The project's calendar replaced: what the "Calendario del progetto" dialog changes, one step.
class SetCalendarCommand final : public EditCommand
{
public:
    SetCalendarCommand(ProjectDocument& document, ProjectCalendar calendar);
    // A calendar that the check refuses is refused, and nothing changes.
    Result<void> apply() override;

    void revert() override;

private:
    ProjectCalendar m_calendar;
    ProjectCalendar m_before;
};

// Replaces the whole project and title page at once: "Cancella dati finestra", imports.
class ReplaceProjectCommand final : public EditCommand
{
public:
    ReplaceProjectCommand(ProjectDocument& document, const QString& text, Project project,
                          TitlePage titlePage);
    Result<void> apply() override;

    void revert() override;

private:
    void announce() override;
    Project m_project;
    TitlePage m_titlePage;
    Project m_beforeProject;
    TitlePage m_beforeTitlePage;
};

// One typed title-page field; keys typed into the same field in one go are one step.
class SetTitleFieldCommand final : public EditCommand
{
public:
    SetTitleFieldCommand(ProjectDocument& document, TitlePage::Field field, const QString& text,
                         int session);
    Result<void> apply() override;
    int id() const override { return 4; }
    bool mergeWith(const QUndoCommand* other) override;

    void revert() override;

private:
    void announce() override;
    TitlePage::Field m_field;
    QString m_text;
    QString m_before;
    int m_session;
};

// The seven title-page fields replaced at once: clear, a title-page file opened.
class ReplaceTitlePageCommand final : public EditCommand
{
public:
    ReplaceTitlePageCommand(ProjectDocument& document, const QString& text, TitlePage titlePage);
    Result<void> apply() override;

    void revert() override;

private:
    void announce() override;
    TitlePage m_titlePage;
    TitlePage m_before;
};

// Several edits applied in order as one step, undone in reverse order. When one of them is
// refused, those before it are reverted and the whole step is refused.
class CompoundEditCommand final : public EditCommand
{
public:
    CompoundEditCommand(ProjectDocument& document, const QString& text);
    void add(std::unique_ptr<EditCommand> part);
    bool isEmpty() const { return m_parts.empty(); }
    Result<void> apply() override;
    void revert() override;

private:
    void announce() override;
    std::vector<std::unique_ptr<EditCommand>> m_parts;
};

} // namespace zant
