#pragma once
// Counts how often a window rebuilt its item list: every RefreshList writes the
// count tooltip of List1 exactly once, and each write sends ToolTipChange.
// Records the folder File1 listed at each rebuild.

#include "app/form1.h"

#include <QEvent>
#include <QObject>
#include <QStringList>

namespace corvane::test {

class RefreshCounter : public QObject
{
public:
    explicit RefreshCounter(Form1 &form) : m_form(form) { form.List1->installEventFilter(this); }
    ~RefreshCounter() override { m_form.List1->removeEventFilter(this); }

    qsizetype count() const { return folders.size(); }
    void reset() { folders.clear(); }
    QStringList folders; // File1's folder at each rebuild

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_form.List1 && event->type() == QEvent::ToolTipChange)
            folders.append(m_form.File1->path());
        return false;
    }

private:
    Form1 &m_form;
};

} // namespace corvane::test
