#pragma once
// Counts how often a window rebuilt its item list (ran RefreshList), and
// records the folder File1 listed at each rebuild.

#include "app/form1.h"

#include <QObject>
#include <QStringList>

namespace corvane::test {

class RefreshCounter : public QObject
{
public:
    explicit RefreshCounter(Form1 &form)
    {
        connect(&form, &Form1::listRefreshed, this, [this](const QString &folder) { folders.append(folder); });
    }

    qsizetype count() const { return folders.size(); }
    void reset() { folders.clear(); }
    QStringList folders; // File1's folder at each rebuild
};

} // namespace corvane::test
