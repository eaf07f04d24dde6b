#pragma once
// Access letters for menus: each entry of a menu bar or menu gets one letter of
// its shown caption, underlined and reached with Alt (or the letter alone in
// an open menu), different from every other entry of the same menu. The
// letters are picked from the captions as shown, in whatever language, and
// picked again whenever a caption changes or an entry comes or goes, so that no
// source text carries a hand-written "&". Captions as the user reads them
// (menuCaption) and the names screen readers speak stay the captions.

#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

namespace corvane {

// The letter each caption gets, as an index into it (-1: none fits), unique
// per list ignoring case: first the word's first letters in order, then
// capitals, then any letter or digit; entries whose first letter is free keep
// it before later entries take another of their letters.
QList<int> accessLetters(const QStringList &captions);

// A caption with its access letter marked before the character at index at
// (none when at is -1), and every "&" of it doubled so that it shows as typed.
QString withAccessLetter(const QString &caption, int at);
// The caption a menu entry's text shows: the access letter's mark taken out
// and doubled "&" read as one.
QString withoutAccessLetter(const QString &text);

// Keeps the access letters of menuOrBar (a QMenuBar or a QMenu) and of every
// menu it holds, now and whenever their entries or captions change.
void keepAccessLetters(QWidget *menuOrBar);

} // namespace corvane
