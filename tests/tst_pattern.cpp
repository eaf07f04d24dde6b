#include "listing/pattern.h"

#include <QTest>

using corvane::Pattern;

class TestPattern : public QObject
{
    Q_OBJECT
private slots:
    void matches_data();
    void matches();
};

void TestPattern::matches_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("expected");

    // "*.*" takes every name, also those without a dot and dot-files.
    QTest::newRow("all: plain") << "*.*" << "a.txt" << true;
    QTest::newRow("all: no dot") << "*.*" << "README" << true;
    QTest::newRow("all: dot-file") << "*.*" << ".profile" << true;
    QTest::newRow("all: trailing dot") << "*.*" << "archive." << true;
    QTest::newRow("star alone") << "*" << "anything.at.all" << true;
    // "*." takes the names without an extension.
    QTest::newRow("no ext: plain") << "*." << "README" << true;
    QTest::newRow("no ext: with ext") << "*." << "a.txt" << false;
    QTest::newRow("no ext: trailing dot") << "*." << "archive." << true;
    // Suffixes ignore case.
    QTest::newRow("suffix") << "*.mp3" << "song.mp3" << true;
    QTest::newRow("suffix case") << "*.mp3" << "SONG.MP3" << true;
    QTest::newRow("suffix upper pattern") << "*.MP3" << "song.Mp3" << true;
    QTest::newRow("suffix other") << "*.mp3" << "song.mp4" << false;
    QTest::newRow("suffix needs dot") << "*.mp3" << "mp3" << false;
    QTest::newRow("suffix longer ext") << "*.mp3" << "song.mp3x" << false;
    QTest::newRow("typed dot stays") << "*..mp3" << "song.mp3" << false;
    QTest::newRow("typed dot matches") << "*..mp3" << "song..mp3" << true;
    // Several entries.
    QTest::newRow("list first") << "*.MP3;*.EXE;*.DOC;*.ZIP" << "a.mp3" << true;
    QTest::newRow("list last") << "*.MP3;*.EXE;*.DOC;*.ZIP" << "b.zip" << true;
    QTest::newRow("list none") << "*.MP3;*.EXE;*.DOC;*.ZIP" << "c.txt" << false;
    QTest::newRow("list empty piece") << "*.MP3;*.;*.EXE" << "Makefile" << true;
    QTest::newRow("list empty piece ext") << "*.MP3;*.;*.EXE" << "main.c" << false;
    // "?" is one character.
    QTest::newRow("question one") << "a?.txt" << "ab.txt" << true;
    QTest::newRow("question none") << "a?.txt" << "a.txt" << false;
    QTest::newRow("question two") << "a?.txt" << "abc.txt" << false;
    QTest::newRow("question non-ascii") << "?.txt" << QString::fromUtf8("é.txt") << true;
    QTest::newRow("question emoji") << "?.txt" << QString::fromUtf8("😀.txt") << true;
    // Star in the middle needs backtracking.
    QTest::newRow("middle star") << "a*b*c" << "axxbyybzc" << true;
    QTest::newRow("middle star fail") << "a*b*c" << "axxbyy" << false;
    QTest::newRow("prefix") << "rep*" << "Report.doc" << true;
    QTest::newRow("no ext general") << "read*." << "readme" << true;
    // Brackets and wildcard characters inside names are plain.
    QTest::newRow("bracket literal") << "[ab].txt" << "[ab].txt" << true;
    QTest::newRow("bracket not class") << "[ab].txt" << "a.txt" << false;
    QTest::newRow("name with star") << "*.txt" << "a*b.txt" << true;
    QTest::newRow("name with question") << "a?c" << "a?c" << true;
    QTest::newRow("exact") << "notes.txt" << "NOTES.TXT" << true;
    // Case folding beyond ASCII.
    QTest::newRow("fold accents") << QString::fromUtf8("*.ÉTÉ") << QString::fromUtf8("x.été") << true;
    QTest::newRow("fold sigma") << QString::fromUtf8("*.Σ") << QString::fromUtf8("x.ς") << true;
}

void TestPattern::matches()
{
    QFETCH(QString, pattern);
    QFETCH(QString, name);
    QFETCH(bool, expected);
    QCOMPARE(Pattern(pattern).matches(name), expected);
}

QTEST_APPLESS_MAIN(TestPattern)
#include "tst_pattern.moc"
