#pragma once

#include "model/money.h"
#include "report/direct_print.h"
#include "report/document_writer.h"
#include "report/documents.h"
#include "schedule/amounts.h"

#include <QDate>
#include <QImage>
#include <QString>
#include <QStringList>

#include <vector>

namespace zant {

// One lavorazione of the cronoprogramma: an activity of the network that is not a dummy, with its
// times as dates and its amount.
struct Lavorazione
{
    int from = 0;
    int slot = 0;
    int to = 0;
    QString name;
    QString category;
    double days = 0;
    QDate earlyStart;
    QDate earlyFinish;
    QDate lateStart;
    QDate lateFinish;
    double totalFloat = 0;
    double freeFloat = 0;
    Cents amount = 0;
    bool critical = false;
};

// The activities but the dummies, in the order of the Gantt chart (earliest start, then event
// and slot). Dates are those of the events that bound each activity.
std::vector<Lavorazione> lavorazioni(const Project& project, const ScheduleResults& results);

// Everything the document shows, computed once.
struct CronoprogrammaData
{
    const ReportData& report;
    std::vector<Lavorazione> lavorazioni;
    AmountsInTime amounts;
    SalRule rule;
    std::vector<SalForecast> sal;
    QDate date; // the document's date, written out on the cover and by the signature
};

// The figures of the document for the project and its results (computed from it), with the SAL
// forecast by `rule` (none when the rule asks for neither months nor an amount).
CronoprogrammaData cronoprogrammaData(const ReportData& report, const SalRule& rule,
                                      const QDate& date);

// The date the cover shows: the title page's date when it is one, else `today`.
QDate documentDate(const TitlePage& titlePage, const QDate& today);

// "1 febbraio 2027"
QString longItalianDate(const QDate& date);
// The sentences that say which calendar the durations count and how half days are dated.
QString calendarAndRoundingText(const Project& project);
// The rule of the SAL forecast in words: "ogni 2 mesi", "ogni 150.000,00 € di lavori eseguiti
// (non meno di 50.000,00 €)".
QString salRuleText(const SalRule& rule);
// "12,34%": the share of a part in the total, with two decimals.
QString shareText(Cents part, Cents total);

inline const QString kCronoprogrammaTitle = QStringLiteral("Cronoprogramma dei lavori");

// The document as a .docx: cover, calendar and amounts rule, the lavorazioni, the Gantt chart,
// the amounts by month and by contract year, the S-curve, the SAL forecast, the signature.
void buildCronoprogramma(DocumentWriter& w, const CronoprogrammaData& data);

// The same document laid out for the direct print (and its PDF).
std::vector<PrintPage> layoutCronoprogramma(const CronoprogrammaData& data);
Result<void> printCronoprogrammaToPdf(const CronoprogrammaData& data, const QString& pdfPath);

// The S-curve as a picture for the document, in points on a landscape page.
QImage sCurveImage(const CronoprogrammaData& data, QSizeF points);

} // namespace zant
