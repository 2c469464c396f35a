#include "vmixstateparser.h"

#include <QTest>

// VMixStateParser on documents no vMix writes: deep nesting, entity definitions, and the text rules of
// the flag elements. The documents vMix does write are read through the link in tst_vmixwrapper.

class TestVMixStateParser : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void deepNesting();
    void entityExpansionIsRefused();
    void flagText_data();
    void flagText();
    void inputNumbers_data();
    void inputNumbers();
};

void TestVMixStateParser::deepNesting()
{
    // 100000 levels (700 kB): a document tree took minutes over this, with the program's only thread
    // stuck in it; the parser reads it in one pass.
    constexpr int Depth = 100000;
    const QByteArray document
        = "<vmix>" + QByteArray("<a>").repeated(Depth)
          + R"(<input key="k" title="Deep" volume="5" muted="True"/><streaming>True</streaming>)"
          + QByteArray("</a>").repeated(Depth) + R"(<master volume="12" muted="False"/></vmix>)";
    const std::optional<VMixState> state = VMixStateParser::parse(document);
    QVERIFY(state);
    QCOMPARE(state->inputs.size(), 1);
    QCOMPARE(state->inputs.first().title, QStringLiteral("Deep"));
    QVERIFY(state->inputs.first().muted);
    QVERIFY(state->streaming);
    QVERIFY(state->hasMaster);
    QCOMPARE(state->masterVolume, 12.0);

    // Cut off inside the nesting: not XML.
    QVERIFY(!VMixStateParser::parse(document.left(document.size() / 2)));
}

void TestVMixStateParser::entityExpansionIsRefused()
{
    // Nine levels of ten references each would expand to a thousand million characters.
    QByteArray dtd = R"(<!DOCTYPE vmix [<!ENTITY l0 "True">)";
    for (int level = 1; level <= 9; ++level) {
        const QByteArray previous = "&l" + QByteArray::number(level - 1) + ";";
        dtd += "<!ENTITY l" + QByteArray::number(level) + " \"" + previous.repeated(10) + "\">";
    }
    dtd += "]>";
    QVERIFY(!VMixStateParser::parse(dtd + "<vmix><streaming>&l9;</streaming></vmix>"));
    // A small entity is expanded as the document says.
    const std::optional<VMixState> small
        = VMixStateParser::parse(dtd + "<vmix><streaming>&l0;</streaming></vmix>");
    QVERIFY(small);
    QVERIFY(small->streaming);
}

void TestVMixStateParser::flagText_data()
{
    QTest::addColumn<QByteArray>("document");
    QTest::addColumn<bool>("streaming");
    QTest::newRow("plain") << QByteArray("<vmix><streaming>True</streaming></vmix>") << true;
    QTest::newRow("CDATA") << QByteArray("<vmix><streaming><![CDATA[True]]></streaming></vmix>") << true;
    QTest::newRow("split by a comment")
        << QByteArray("<vmix><streaming>Tr<!-- x -->ue</streaming></vmix>") << true;
    QTest::newRow("text of children")
        << QByteArray("<vmix><streaming><b>Tr</b>ue</streaming></vmix>") << true;
    QTest::newRow("white space between children is no text")
        << QByteArray("<vmix><streaming>\n  <b>True</b>\n</streaming></vmix>") << true;
    QTest::newRow("white space in CDATA is text")
        << QByteArray("<vmix><streaming><![CDATA[ ]]>True</streaming></vmix>") << false;
    QTest::newRow("character reference")
        << QByteArray("<vmix><streaming>&#84;rue</streaming></vmix>") << true;
    QTest::newRow("the inner of two nested is the last")
        << QByteArray("<vmix><streaming><streaming>False</streaming>True</streaming></vmix>") << false;
    QTest::newRow("the root is not below the root") << QByteArray("<streaming>True</streaming>") << false;
    QTest::newRow("a prefix is part of the name")
        << QByteArray(R"(<vmix xmlns:v="urn:v"><v:streaming>True</v:streaming></vmix>)") << false;
}

void TestVMixStateParser::flagText()
{
    QFETCH(QByteArray, document);
    QFETCH(bool, streaming);
    const std::optional<VMixState> state = VMixStateParser::parse(document);
    QVERIFY(state);
    QCOMPARE(state->streaming, streaming);
}

void TestVMixStateParser::inputNumbers_data()
{
    QTest::addColumn<QByteArray>("document");
    QTest::addColumn<QList<int>>("numbers");
    QTest::addColumn<int>("active");
    QTest::addColumn<int>("preview");
    QTest::newRow("numbered inputs") << QByteArray(
        R"(<vmix><inputs><input number="1" key="a"/><input number="7" key="b"/></inputs>)"
        R"(<preview>1</preview><active>7</active></vmix>)")
                                     << QList<int>{1, 7} << 7 << 1;
    QTest::newRow("unnumbered inputs count in document order") << QByteArray(
        "<vmix><inputs><input key=\"a\"/><input key=\"b\"/></inputs><active> 2 </active></vmix>")
                                                               << QList<int>{1, 2} << 2 << 0;
    QTest::newRow("no number is no input")
        << QByteArray(R"(<vmix><input number="x"/><active>none</active><preview>-3</preview></vmix>)")
        << QList<int>{0} << 0 << 0;
    // Elements of these names inside an input say nothing about what is on air.
    QTest::newRow("only the root's own children")
        << QByteArray(R"(<vmix><input number="1"><active>5</active></input><active>1</active></vmix>)")
        << QList<int>{1} << 1 << 0;
}

void TestVMixStateParser::inputNumbers()
{
    QFETCH(QByteArray, document);
    QFETCH(QList<int>, numbers);
    QFETCH(int, active);
    QFETCH(int, preview);
    const std::optional<VMixState> state = VMixStateParser::parse(document);
    QVERIFY(state);
    QList<int> read;
    for (const VMixInput &input : state->inputs)
        read.append(input.number);
    QCOMPARE(read, numbers);
    QCOMPARE(state->active, active);
    QCOMPARE(state->preview, preview);
}

QTEST_GUILESS_MAIN(TestVMixStateParser)
#include "tst_vmixstateparser.moc"
