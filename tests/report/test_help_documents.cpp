#include "model/data_check.h"
#include "report/docx_writer.h"
#include "report/example_network.h"
#include "report/help_documents.h"
#include "report/help_texts.h"
#include "schedule/schedule.h"
#include "support/docx_package.h"
#include "support/fake_document_output.h"
#include "support/message_text.h"

#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>
#include <QTest>

using namespace zant;
using zant::test::DocxPackage;
using zant::test::FakeDocumentOutput;
using zant::test::XmlElement;

namespace {

// What a reader sees of one body paragraph.
struct Para
{
    QString text;    // page breaks read as form feeds
    double size = 0; // points of the first run, 0 when it has none
    QString alignment;
    bool picture = false;
};

QList<Para> readParagraphs(const QString& path, QStringList* media = nullptr)
{
    DocxPackage package;
    QString error;
    XmlElement document;
    if (!zant::test::readDocument(path, &package, &document, &error)) {
        qWarning() << "cannot read" << path << error;
        return {};
    }
    if (media) {
        for (const QString& name : package.names()) {
            if (name.startsWith("word/media/"))
                *media << name;
        }
    }
    QList<Para> paragraphs;
    for (const XmlElement* p : document.child("w:body")->childrenNamed("w:p")) {
        Para para;
        for (const XmlElement* run : p->childrenNamed("w:r")) {
            const XmlElement* properties = run->child("w:rPr");
            const XmlElement* size = properties ? properties->child("w:sz") : nullptr;
            if (size && para.size == 0)
                para.size = size->attribute("w:val").toDouble() / 2;
            for (const XmlElement& item : run->children) {
                if (item.name == "w:t")
                    para.text += item.text;
                else if (item.name == "w:br" && item.attribute("w:type") == "page")
                    para.text += u'\f';
                else if (item.name == "w:drawing")
                    para.picture = true;
            }
        }
        const XmlElement* properties = p->child("w:pPr");
        const XmlElement* jc = properties ? properties->child("w:jc") : nullptr;
        para.alignment = jc ? jc->attribute("w:val") : QString();
        paragraphs << para;
    }
    return paragraphs;
}

QStringList texts(const QList<Para>& paragraphs)
{
    QStringList out;
    for (const Para& p : paragraphs)
        out << p.text;
    return out;
}

} // namespace

class TestHelpDocuments final : public QObject
{
    Q_OBJECT

private slots:
    void helpTexts_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("firstWords");
        QTest::addColumn<int>("length");
        QTest::newRow("manuale") << "manuale"
                                 << "MANUALE D'USO RAPIDO"
                                 << "Il software ZANT consente di programmare qualsiasi insieme "
                                    "di operazioni interdipendenti"
                                 << 3415;
        QTest::newRow("guidafunzionamento")
            << "guidafunzionamento"
            << "FUNZIONAMENTO DEL PROGRAMMA"
            << "Il funzionamento teorico non è difficile da spiegarsi" << 1239;
        QTest::newRow("guidastampa")
            << "guidastampa"
            << "COME STAMPARE"
            << "Si possono stampare liberamente tutte le finestre riguardanti la guida" << 1621;
        QTest::newRow("guidadati") << "guidadati"
                                   << "Finestra DATI"
                                   << "La finestra Dati si presenta con una serie di caselle "
                                      "bianche e di barre di scorrimento"
                                   << 2082;
        QTest::newRow("guidarisultati")
            << "guidarisultati"
            << "Finestra RISULTATI"
            << "L'altra finestra principale del software riguarda i risultati del calcolo" << 1947;
        QTest::newRow("guidafrontespizio")
            << "guidafrontespizio"
            << "Finestra FRONTESPIZIO"
            << "L'ultima finestra riguarda i dati destinati al FRONTESPIZIO della Relazione da "
               "stampare"
            << 1478;
        QTest::newRow("metodo") << "metodo"
                                << "Il metodo ZANT" << QString() << 1955;
    }

    void helpTexts()
    {
        QFETCH(QString, name);
        QFETCH(QString, title);
        QFETCH(QString, firstWords);
        QFETCH(int, length);
        QVERIFY(helpTopics().contains(name));
        const HelpTopic& topic = helpTopics().value(name);
        QCOMPARE(topic.title, title);
        QVERIFY2(topic.body.startsWith(firstWords), qPrintable(topic.body.left(80)));
        QVERIFY2(
            std::abs(topic.body.size() - length) <= length / 10,
            qPrintable(
                QString("%1 characters instead of about %2").arg(topic.body.size()).arg(length)));
        // Paragraphs are separated by one line feed, never by empty lines or carriage returns.
        QVERIFY(!topic.body.contains("\n\n"));
        QVERIFY(!topic.body.contains(u'\r'));
        QVERIFY(!topic.body.contains(QChar::ReplacementCharacter));
    }

    void guideRunsInTheOrderOfTheSummary()
    {
        QCOMPARE(guideTopicOrder(),
                 QStringList({"manuale", "guidafunzionamento", "guidastampa", "guidadati",
                              "guidarisultati", "guidafrontespizio", "metodo"}));
    }

    void helpPrintOrderAndSizes()
    {
        QTemporaryDir dir;
        DocxWriter writer;
        buildHelpDocument(writer, "Finestra DATI", "Primo paragrafo.\nSecondo paragrafo.");
        const QString path = dir.filePath("aiuto.docx");
        QCOMPARE(zant::test::messageText(writer.save(path)), QString());
        const QList<Para> paragraphs = readParagraphs(path);
        QCOMPARE(texts(paragraphs), QStringList({"ZANT", "tecnica reticolare di programmazione", "",
                                                 "", "Guida: Finestra DATI", "", "Primo paragrafo.",
                                                 "Secondo paragrafo.", ""}));
        QCOMPARE(paragraphs[0].size, 20.0);
        QCOMPARE(paragraphs[1].size, 16.0);
        QCOMPARE(paragraphs[4].size, 16.0);
        QCOMPARE(paragraphs[6].size, 12.0);
        QCOMPARE(paragraphs[7].size, 12.0);
        for (const Para& p : paragraphs)
            QCOMPARE(p.alignment, QString("both"));
    }

    void networkDocument()
    {
        QTemporaryDir dir;
        const QString picture = dir.filePath(kExampleNetworkFileName);
        QCOMPARE(zant::test::messageText(saveExampleNetworkPicture(picture)), QString());
        DocxWriter writer;
        QCOMPARE(zant::test::messageText(buildNetworkDocument(writer, picture)), QString());
        const QString path = dir.filePath("schema.docx");
        QCOMPARE(zant::test::messageText(writer.save(path)), QString());
        QStringList media;
        const QList<Para> paragraphs = readParagraphs(path, &media);
        QCOMPARE(texts(paragraphs), QStringList({"ZANT", "tecnica reticolare di programmazione", "",
                                                 "Schema di reticolo ZANT", "", ""}));
        QCOMPARE(paragraphs[3].size, 16.0);
        QVERIFY(paragraphs.last().picture);
        QCOMPARE(media.size(), 1);
        QVERIFY(media.first().endsWith(".jpeg") || media.first().endsWith(".jpg"));
    }

    void wholeGuide()
    {
        QTemporaryDir dir;
        const QString picture = dir.filePath(kExampleNetworkFileName);
        QCOMPARE(zant::test::messageText(saveExampleNetworkPicture(picture)), QString());
        DocxWriter writer;
        QCOMPARE(zant::test::messageText(buildGuide(writer, picture)), QString());
        const QString path = dir.filePath("guida.docx");
        QCOMPARE(zant::test::messageText(writer.save(path)), QString());
        QStringList media;
        const QList<Para> paragraphs = readParagraphs(path, &media);
        QCOMPARE(paragraphs[0].text, QString("ZANT"));
        QCOMPARE(paragraphs[0].size, 20.0);
        QCOMPARE(paragraphs[1].size, 16.0);

        QList<int> headings;
        for (int i = 0; i < paragraphs.size(); ++i) {
            QString text = paragraphs[i].text;
            if (text.remove(u'\f').startsWith("Guida: "))
                headings << i;
        }
        QCOMPARE(headings.size(), 7);
        for (int h = 0; h < headings.size(); ++h) {
            const HelpTopic& topic = helpTopics().value(guideTopicOrder()[h]);
            const Para& heading = paragraphs[headings[h]];
            QCOMPARE(QString(heading.text).remove(u'\f'), "Guida: " + topic.title);
            // The first heading keeps the subtitle's 16 points; the rest are at 12.
            QCOMPARE(heading.size, h == 0 ? 16.0 : 12.0);
            // Every heading but the first starts a new page, right after the previous text.
            QCOMPARE(heading.text.startsWith(u'\f'), h > 0);
            // The text follows the heading and an empty paragraph.
            const QStringList body = topic.body.split(u'\n');
            for (int b = 0; b < body.size(); ++b)
                QCOMPARE(paragraphs[headings[h] + 2 + b].text, body[b]);
        }
        // After the last text: the page break, the network heading, then the picture.
        const qsizetype network = texts(paragraphs).indexOf("\fSchema di reticolo ZANT");
        QVERIFY(network > headings.last());
        QCOMPARE(paragraphs.size(), network + 3);
        QVERIFY(paragraphs.last().picture);
        QCOMPARE(media.size(), 1);
        for (const Para& p : paragraphs)
            QCOMPARE(p.alignment, QString("both"));
    }

    void exampleNetworkIsAValidProject()
    {
        const Project project = exampleNetworkProject();
        QCOMPARE(zant::test::messageText(CheckConfirmation().requireValidData(project)), QString());
        const ScheduleResults results = ComputeSchedule(project);
        QCOMPARE(results.criticalPath, QString("- 1- 3- 5- 7- 8"));
        QCOMPARE(results.earliest[8], 23.0);
    }

    void pictureSizes_data()
    {
        QTest::addColumn<double>("scale");
        QTest::addColumn<QSize>("pixels");
        QTest::newRow("design size") << 1.0 << QSize(603, 363);
        QTest::newRow("double") << 2.0 << QSize(1206, 726);
        QTest::newRow("half") << 0.5 << QSize(302, 182);
        QTest::newRow("no scale given") << 0.0 << QSize(603, 363);
    }

    void pictureSizes()
    {
        QFETCH(double, scale);
        QFETCH(QSize, pixels);
        QCOMPARE(drawExampleNetwork(scale).size(), pixels);
    }

    void picturesMarkTheCriticalPathInRed()
    {
        // Halfway along the arrow 3 -> 5 (critical) and 2 -> 4 (not critical).
        const QImage image = drawExampleNetwork(2);
        const auto reddish = [](QColor c) {
            return c.red() > 150 && c.green() < 90 && c.blue() < 90;
        };
        QVERIFY(reddish(image.pixelColor(2 * 205, 2 * 232)));
        QVERIFY(!reddish(image.pixelColor(2 * 205, 2 * 68)));
    }

    void pictureFileIsReplaced()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("sub/" + kExampleNetworkFileName);
        QCOMPARE(zant::test::messageText(saveExampleNetworkPicture(path, 1)), QString());
        QCOMPARE(zant::test::messageText(saveExampleNetworkPicture(path, 2)), QString());
        QImageReader reader(path);
        QCOMPARE(reader.format(), QByteArray("jpeg"));
        QCOMPARE(reader.size(), QSize(1206, 726));
    }

    void pictureWriteFailure()
    {
        QTemporaryDir dir;
        // A file where the folder should be.
        QFile blocker(dir.filePath("ZANT"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const QString error =
            zant::test::messageText(saveExampleNetworkPicture(dir.filePath("ZANT/schemaZANT.jpg")));
        QVERIFY(error.startsWith("Impossibile scrivere l'immagine"));
        QVERIFY(error.contains("schemaZANT.jpg"));
    }

    void printCommands_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("fileName");
        QTest::newRow("help page") << "help"
                                   << "ZANT-aiuto-2026-12-07-1530.docx";
        QTest::newRow("network") << "network"
                                 << "ZANT-schema-2026-12-07-1530.docx";
        QTest::newRow("guide") << "guide"
                               << "ZANT-guida.docx";
    }

    void printCommands()
    {
        QFETCH(QString, command);
        QFETCH(QString, fileName);
        FakeDocumentOutput output;
        const auto print = [&] {
            if (command == "help")
                return PrintHelpWindow("COME STAMPARE", "Testo.", output);
            if (command == "network")
                return printNetworkExample(output);
            return printGuide(output);
        };
        const PrintResult first = print();
        QVERIFY(first.ok());
        QCOMPARE(first.value().notice, std::nullopt);
        QCOMPARE(first.value().path, output.folder() + "/" + fileName);
        QCOMPARE(output.opened, QStringList{first.value().path});
        QVERIFY(!readParagraphs(first.value().path).isEmpty());
        QCOMPARE(QFile::exists(output.folder() + "/schemaZANT.jpg"), command != "help");

        // A second print: a new dated document, except the guide, which keeps its name.
        const PrintResult second = print();
        QCOMPARE(second.value().path == first.value().path, command == "guide");
        QCOMPARE(output.opened.size(), 2);
    }

    void documentThatCannotBeOpenedIsShownByPath()
    {
        FakeDocumentOutput output;
        output.canOpen = false;
        const PrintResult result = printGuide(output);
        QVERIFY(result.ok() && result.value().notice);
        QCOMPARE(result.value().notice->kind, MessageKind::Information);
        QVERIFY(result.value().notice->text.contains("ZANT-guida.docx"));
        QVERIFY(QFile::exists(result.value().path));
    }

    void unwritableFolder_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("help page") << "help";
        QTest::newRow("network") << "network";
        QTest::newRow("guide") << "guide";
    }

    void unwritableFolder()
    {
        QFETCH(QString, command);
        FakeDocumentOutput output;
        QFile blocker(output.dir.filePath("ZANT"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const PrintResult result = command == "help"      ? PrintHelpWindow("T", "B", output)
                                   : command == "network" ? printNetworkExample(output)
                                                          : printGuide(output);
        QVERIFY(!result.ok());
        QCOMPARE(result.error().kind, MessageKind::Critical);
        QVERIFY(output.opened.isEmpty());
    }
};

QTEST_MAIN(TestHelpDocuments)
#include "test_help_documents.moc"
