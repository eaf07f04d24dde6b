#include "app/form1.h"

// Ways out of the window beside its menus: Ctrl+C copies the list as plain text.

#include "output/documents.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>

#include <vector>

namespace corvane {

namespace {

// Ctrl+C and Ctrl+Insert in List1 copy; the view's own copy (the current item
// only) never sees them.
class CopyKeys : public QObject
{
public:
    CopyKeys(ItemListView *list, Form1 *form) : QObject(list), m_list(list), m_form(form) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != m_list || (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride))
            return false;
        auto *key = static_cast<QKeyEvent *>(event);
        const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
        if (modifiers != Qt::ControlModifier || (key->key() != Qt::Key_C && key->key() != Qt::Key_Insert))
            return false;
        // Claimed as an override, so no shortcut of the window takes the keys.
        key->accept();
        if (event->type() == QEvent::KeyPress)
            m_form->copyToClipboard();
        return true;
    }

private:
    ItemListView *m_list;
    Form1 *m_form;
};

} // namespace

void Form1::setUpWorkflow()
{
    List1->installEventFilter(new CopyKeys(List1, this));
}

void Form1::copyToClipboard()
{
    const QStringList &texts = m_items.texts();
    if (texts.isEmpty())
        return; // nothing to copy: whatever the clipboard holds stays
    const bool numbered = Enumerate->isChecked();
    const bool extensions = ShowExtensions != 0;
    QByteArray text;
    if (m_items.markedCount() == 0) {
        text = copiedText(texts, numbered, extensions);
    } else {
        std::vector<qsizetype> rows;
        rows.reserve(size_t(m_items.markedCount()));
        for (qsizetype i = 0; i < m_items.count(); ++i)
            if (m_items.isMarked(i))
                rows.push_back(i);
        text = copiedText(texts, rows, numbered, extensions);
    }
    // Handed over as UTF-8 bytes: no second copy of a long list as a QString.
    auto *data = new QMimeData;
    data->setData(QStringLiteral("text/plain;charset=utf-8"), text);
    data->setData(QStringLiteral("text/plain"), text);
    QGuiApplication::clipboard()->setMimeData(data);
}

} // namespace corvane
