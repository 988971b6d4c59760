// The Microsoft Project XML export against the published Project 2007 schema (mspdi_pj12.xsd):
// its sequences are written out below, element by element in the schema's order, with what each
// may hold, and a small checker walks the exported document through them.

#include "exchange/mspdi.h"
#include "support/project_builder.h"

#include <QHash>
#include <QRegularExpression>
#include <QTest>
#include <QXmlStreamReader>

#include <algorithm>
#include <utility>

using namespace zant;

namespace {

// The children of each element, in order, separated by blanks: "Name:type", with "!" after the
// name when it is required and "*" when it may repeat. Types: i integer, b boolean, d dateTime,
// t time, u duration, f a duration format, e<a>-<b> an integer from a to b, s<n> a string of at
// most n characters, c an element with a sequence of its own.
const QHash<QString, QStringList>& schema()
{
    static const QHash<QString, QStringList> sequences = [] {
        const std::pair<const char*, const char*> table[] = {
            {"Project",
             "SaveVersion!:i UID:s16 Name:s255 Title:s512 Subject:s512 Category:s512 "
             "Company:s512 Manager:s512 Author:s512 CreationDate:d Revision:i LastSaved:d "
             "ScheduleFromStart:b StartDate:d FinishDate:d FYStartDate:i "
             "CriticalSlackLimit:i CurrencyDigits:i CurrencySymbol:s20 CurrencyCode!:s3 "
             "CurrencySymbolPosition:e0-3 CalendarUID:i DefaultStartTime:t "
             "DefaultFinishTime:t MinutesPerDay:i MinutesPerWeek:i DaysPerMonth:i "
             "DefaultTaskType:e0-2 DefaultFixedCostAccrual:e1-3 DefaultStandardRate:s999 "
             "DefaultOvertimeRate:s999 DurationFormat:f WorkFormat:e1-5 "
             "EditableActualCosts:b HonorConstraints:b EarnedValueMethod:e0-1 "
             "InsertedProjectsLikeSummary:b MultipleCriticalPaths:b NewTasksEffortDriven:b "
             "NewTasksEstimated:b SplitsInProgressTasks:b SpreadActualCost:b "
             "SpreadPercentComplete:b TaskUpdatesResource:b FiscalYearStart:b "
             "WeekStartDay:e0-6 MoveCompletedEndsBack:b MoveRemainingStartsBack:b "
             "MoveRemainingStartsForward:b MoveCompletedEndsForward:b "
             "BaselineForEarnedValue:e0-10 AutoAddNewResourcesAndTasks:b StatusDate:d "
             "CurrentDate:d MicrosoftProjectServerURL:b Autolink:b NewTaskStartDate:e0-1 "
             "DefaultTaskEVMethod:e0-1 ProjectExternallyEdited:b ExtendedCreationDate:d "
             "ActualsInSync:b RemoveFileProperties:b AdminProject:b OutlineCodes:c "
             "WBSMasks:c ExtendedAttributes:c Calendars:c Tasks:c Resources:c Assignments:c"},
            {"Calendars", "Calendar!*:c"},
            {"Calendar",
             "UID!:i Name:s512 IsBaseCalendar:b BaseCalendarUID:i WeekDays:c Exceptions:c "
             "WorkWeeks:c"},
            {"WeekDays", "WeekDay*:c"},
            {"WeekDay", "DayType!:e0-7 DayWorking:b TimePeriod:c WorkingTimes:c"},
            {"TimePeriod", "FromDate:d ToDate:d"},
            {"WorkingTimes", "WorkingTime*:c"},
            {"WorkingTime", "FromTime:t ToTime:t"},
            {"Tasks", "Task*:c"},
            {"Task",
             "UID!:i ID:i Name:s512 Type:e0-2 IsNull:b CreateDate:d Contact:s512 WBS:s999 "
             "WBSLevel:s999 OutlineNumber:s512 OutlineLevel:i Priority:i Start:d Finish:d "
             "Duration:u DurationFormat:f Work:u Stop:d Resume:d ResumeValid:b "
             "EffortDriven:b Recurring:b OverAllocated:b Estimated:b Milestone:b Summary:b "
             "Critical:b IsSubproject:b IsSubprojectReadOnly:b SubprojectName:s512 "
             "ExternalTask:b ExternalTaskProject:s512 EarlyStart:d EarlyFinish:d LateStart:d "
             "LateFinish:d StartVariance:i FinishVariance:i WorkVariance:s999 FreeSlack:i "
             "TotalSlack:i FixedCost:s999 FixedCostAccrual:e1-3 PercentComplete:i "
             "PercentWorkComplete:i Cost:s999 OvertimeCost:s999 OvertimeWork:u ActualStart:d "
             "ActualFinish:d ActualDuration:u ActualCost:s999 ActualOvertimeCost:s999 "
             "ActualWork:u ActualOvertimeWork:u RegularWork:u RemainingDuration:u "
             "RemainingCost:s999 RemainingWork:u RemainingOvertimeCost:s999 "
             "RemainingOvertimeWork:u ACWP:s999 CV:s999 ConstraintType:e0-7 CalendarUID:i "
             "ConstraintDate:d Deadline:d LevelAssignments:b LevelingCanSplit:b "
             "LevelingDelay:i LevelingDelayFormat:f PreLeveledStart:d PreLeveledFinish:d "
             "Hyperlink:s512 HyperlinkAddress:s512 HyperlinkSubAddress:s512 "
             "IgnoreResourceCalendar:b Notes:s999999 HideBar:b Rollup:b BCWS:s999 BCWP:s999 "
             "PhysicalPercentComplete:i EarnedValueMethod:e0-1 PredecessorLink*:c "
             "ActualWorkProtected:u ActualOvertimeWorkProtected:u ExtendedAttribute*:c "
             "Baseline*:c OutlineCode*:c IsPublished:b StatusManager:s999 CommitmentStart:d "
             "CommitmentFinish:d CommitmentType:e0-2 TimephasedData*:c"},
            {"PredecessorLink",
             "PredecessorUID:i Type:e0-3 CrossProject:b CrossProjectName:s999 LinkLag:i "
             "LagFormat:f"},
        };
        QHash<QString, QStringList> parsed;
        for (const auto& [element, children] : table)
            parsed.insert(element, QString::fromLatin1(children).split(QLatin1Char(' ')));
        return parsed;
    }();
    return sequences;
}

struct Child
{
    QString name;
    bool required = false;
    bool repeats = false;
    QString type;
};

Child parseChild(const QString& entry)
{
    static const QRegularExpression form(QStringLiteral("^(\\w+)(!?)(\\*?):(.+)$"));
    const auto m = form.match(entry);
    Q_ASSERT(m.hasMatch());
    return {m.captured(1), !m.captured(2).isEmpty(), !m.captured(3).isEmpty(), m.captured(4)};
}

// Why a value does not fit its type, or nothing.
QString typeProblem(const QString& type, const QString& value)
{
    static const QRegularExpression integer(QStringLiteral("^-?\\d+$"));
    static const QRegularExpression dateTime(
        QStringLiteral("^\\d{4}-\\d{2}-\\d{2}T\\d{2}:\\d{2}:\\d{2}(\\.\\d+)?$"));
    static const QRegularExpression time(QStringLiteral("^\\d{2}:\\d{2}:\\d{2}$"));
    static const QRegularExpression duration(
        QStringLiteral("^-?P(\\d+Y)?(\\d+M)?(\\d+D)?(T(\\d+H)?(\\d+M)?(\\d+(\\.\\d+)?S)?)?$"));
    static const QList<int> formats{3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 19, 20, 21,
                                    35, 36, 37, 38, 39, 40, 41, 42, 43, 44, 51, 52, 53};
    const auto fits = [&](bool ok) { return ok ? QString() : type + " \"" + value + "\""; };
    switch (type.front().toLatin1()) {
    case 'i':
        return fits(integer.match(value).hasMatch());
    case 'b':
        return fits(value == "0" || value == "1" || value == "true" || value == "false");
    case 'd':
        return fits(dateTime.match(value).hasMatch());
    case 't':
        return fits(time.match(value).hasMatch());
    case 'u':
        return fits(duration.match(value).hasMatch() && value != "P" && !value.endsWith('T'));
    case 'f':
        return fits(integer.match(value).hasMatch() && formats.contains(value.toInt()));
    case 'e': {
        const QStringList range = type.mid(1).split('-');
        return fits(integer.match(value).hasMatch() && value.toInt() >= range[0].toInt() &&
                    value.toInt() <= range[1].toInt());
    }
    case 's':
        return fits(value.toUcs4().size() <= type.mid(1).toInt());
    }
    return QStringLiteral("unknown type ") + type;
}

// Walks the children of the current element; every problem is added to `problems` with its path.
void checkChildren(QXmlStreamReader& xml, const QString& element, const QString& path,
                   QStringList& problems)
{
    std::vector<Child> sequence;
    for (const QString& entry : schema().value(element))
        sequence.push_back(parseChild(entry));
    std::vector<int> seen(sequence.size(), 0);
    int last = -1;
    while (xml.readNextStartElement()) {
        const QString name = xml.name().toString();
        const QString here = path + '/' + name;
        if (xml.namespaceUri() != QLatin1String("http://schemas.microsoft.com/project"))
            problems << here + ": namespace " + xml.namespaceUri().toString();
        int index = -1;
        for (int i = 0; i < static_cast<int>(sequence.size()); ++i)
            if (sequence[i].name == name)
                index = i;
        if (index < 0) {
            problems << here + ": not in the schema";
            xml.skipCurrentElement();
            continue;
        }
        if (index < last || (index == last && !sequence[index].repeats))
            problems << here + ": out of the schema's order";
        last = index;
        ++seen[index];
        if (sequence[index].type == "c") {
            checkChildren(xml, name, here, problems);
        } else if (const QString problem = typeProblem(sequence[index].type, xml.readElementText());
                   !problem.isEmpty()) {
            problems << here + ": " + problem;
        }
    }
    for (std::size_t i = 0; i < sequence.size(); ++i)
        if (sequence[i].required && seen[i] == 0)
            problems << path + ": " + sequence[i].name + " missing";
}

QStringList schemaProblems(const QByteArray& document)
{
    QXmlStreamReader xml(document);
    QStringList problems;
    if (!xml.readNextStartElement() || xml.name() != QLatin1String("Project"))
        return {"no Project element"};
    checkChildren(xml, "Project", "Project", problems);
    while (!xml.atEnd())
        xml.readNext();
    if (xml.hasError())
        problems << xml.errorString();
    return problems;
}

} // namespace

class TestMspdiSchema final : public QObject
{
    Q_OBJECT

private slots:
    // The checker itself: each row is a document the schema refuses.
    void checkerRefuses_data()
    {
        QTest::addColumn<QByteArray>("document");
        QTest::addColumn<QString>("problem");
        const QByteArray head = "<Project xmlns=\"http://schemas.microsoft.com/project\">";
        QTest::newRow("CurrencyCode missing")
            << head + "<SaveVersion>12</SaveVersion><CalendarUID>1</CalendarUID></Project>"
            << "Project: CurrencyCode missing";
        QTest::newRow("CalendarUID before CurrencyCode")
            << head + "<SaveVersion>12</SaveVersion><CalendarUID>1</CalendarUID>"
                      "<CurrencyCode>EUR</CurrencyCode></Project>"
            << "Project/CurrencyCode: out of the schema's order";
        QTest::newRow("a task without UID")
            << head + "<SaveVersion>12</SaveVersion><CurrencyCode>EUR</CurrencyCode><Tasks><Task>"
                      "<Name>A</Name></Task></Tasks></Project>"
            << "Project/Tasks/Task: UID missing";
        QTest::newRow("a name too long")
            << head +
                   "<SaveVersion>12</SaveVersion><CurrencyCode>EUR</CurrencyCode><Tasks><Task>"
                   "<UID>1</UID><Name>" +
                   QByteArray(513, 'x') + "</Name></Task></Tasks></Project>"
            << "Project/Tasks/Task/Name: s512";
        QTest::newRow("an unknown duration format")
            << head + "<SaveVersion>12</SaveVersion><CurrencyCode>EUR</CurrencyCode><Tasks><Task>"
                      "<UID>1</UID><DurationFormat>99</DurationFormat></Task></Tasks></Project>"
            << "Project/Tasks/Task/DurationFormat: f \"99\"";
    }
    void checkerRefuses()
    {
        QFETCH(QByteArray, document);
        QFETCH(QString, problem);
        const QStringList problems = schemaProblems(document);
        QVERIFY2(std::any_of(problems.begin(), problems.end(),
                             [&](const QString& p) { return p.startsWith(problem); }),
                 qPrintable(problems.join('\n')));
    }

    void exportFollowsTheSchema_data()
    {
        QTest::addColumn<QString>("network");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("description");
        QTest::addColumn<bool>("workingDays");
        QTest::newRow("a small network with a title") << "4: 1>2=5 1>3=2 2>4=1 3>4=1"
                                                      << "Scuola media"
                                                      << "Scavi" << false;
        QTest::newRow("no title, fractional days")
            << "3: 1>2=0.5 2>3=16.6666666666667" << QString() << "Getti" << false;
        QTest::newRow("a description and a title longer than the schema allows")
            << "2: 1>2=1" << QString(600, 'T') << QString(700, QChar(0x00E8)) << false;
        QTest::newRow("a long name cut between a pair of surrogates")
            << "2: 1>2=1" << QString()
            << QString(495, 'a') + QString::fromUcs4(U"\U0001F3D7").repeated(20) << false;
        QTest::newRow("working days with holidays, patron and a closure")
            << "4: 1>2=150 1>3=2.5 2>4=100 3>4=16.6666666666667"
            << "Scuola media"
            << "Scavi" << true;
    }
    void exportFollowsTheSchema()
    {
        QFETCH(QString, network);
        QFETCH(QString, title);
        QFETCH(QString, description);
        QFETCH(bool, workingDays);
        Project p = test::buildProject(network, QStringLiteral("01/03/2027"));
        p.setDescription(2, description);
        if (workingDays) {
            ProjectCalendar calendar;
            calendar.workingDays = true;
            calendar.patron = {7, 12};
            calendar.closures = {{QDate(2027, 8, 9), QDate(2027, 8, 20), "chiusura estiva"}};
            p.setCalendar(calendar);
        }
        const QByteArray xml = writeMspdi(p, ComputeSchedule(p), title);
        const QStringList problems = schemaProblems(xml);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
        QVERIFY(xml.contains("<CurrencyCode>EUR</CurrencyCode>"));
        QCOMPARE(xml.contains("<DayType>0</DayType>"), workingDays);
    }
};

QTEST_GUILESS_MAIN(TestMspdiSchema)
#include "test_mspdi_schema.moc"
