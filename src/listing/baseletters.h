#pragma once
// The first level of the item order: a text's base letters, the letters without
// their diacritics and case. Each character is case-folded, canonically
// decomposed, stripped of its combining marks and folded again, so "École",
// "ecole" and "e\u0301cole" all have the base letters "ecole". Letters with no
// decomposition (ø, æ, ł, ß) stay as they are. The result depends only on the
// case-folded text, so texts equal ignoring case have equal base letters; and
// it is the same in every locale.

#include "listing/casefold.h"

#include <QStringView>

namespace corvane {

// The first six base letters of a text packed into two words: texts with
// different keys are in the order of compareBaseLetters by key; equal keys
// leave it to compareBaseLetters. A key worked out once for each of many texts
// makes most comparisons of a sort two integer compares.
struct BaseKey
{
    quint64 hi = 0, lo = 0;
    friend bool operator==(const BaseKey &, const BaseKey &) = default;
    friend bool operator<(const BaseKey &a, const BaseKey &b) { return a.hi != b.hi ? a.hi < b.hi : a.lo < b.lo; }
};
// In the natural order a key ends after the first digit, which stands for its
// number: the number's value is left to the comparison.
BaseKey baseKey(QStringView text, ItemOrder order = ItemOrder::Alphabetical) noexcept;

// -1, 0 or 1 as the base letters of a are before, the same as or after those of
// b: by code point, a text before any longer one it begins, and "/" (between
// the parts of a path) before every other character, so paths compare part by
// part. Nothing is allocated for text of the Basic Multilingual Plane.
int compareBaseLetters(QStringView a, QStringView b) noexcept;

// The same for the natural order: each run of ASCII digits among the base
// letters counts as one number, compared by its value, and stands where its
// first digit would. runTie, when given, gets the order's second level for
// texts that compare equal: at the first pair of runs of equal value whose
// lengths differ, -1 or 1 as a's is the shorter or the longer; else 0.
int compareNaturalBase(QStringView a, QStringView b, int *runTie = nullptr) noexcept;

// The first level of an item order: compareBaseLetters or compareNaturalBase.
inline int compareFirstLevel(QStringView a, QStringView b, ItemOrder order) noexcept
{
    return order == ItemOrder::Natural ? compareNaturalBase(a, b) : compareBaseLetters(a, b);
}

} // namespace corvane
