#include "app/accesskeys.h"

#include <QAction>
#include <QActionEvent>
#include <QMenu>
#include <QSet>
#include <QWidget>

namespace corvane {

QList<int> accessLetters(const QStringList &captions)
{
    // The letters each caption offers, best first.
    QList<QList<int>> offered;
    for (const QString &caption : captions) {
        QList<int> starts, capitals, others;
        for (int i = 0; i < caption.size(); ++i) {
            const QChar c = caption.at(i);
            if (!c.isLetterOrNumber())
                continue;
            if (i == 0 || !caption.at(i - 1).isLetterOrNumber())
                starts.append(i);
            else if (c.isUpper())
                capitals.append(i);
            else
                others.append(i);
        }
        offered.append(starts + capitals + others);
    }
    QList<int> chosen(captions.size(), -1);
    QSet<QString> taken;
    const auto take = [&](qsizetype entry, int at) {
        const QString letter = captions.at(entry).at(at).toCaseFolded();
        if (taken.contains(letter))
            return false;
        taken.insert(letter);
        chosen[entry] = at;
        return true;
    };
    // Every entry that can keeps its first choice; the others then take the
    // first of theirs still free, in menu order.
    for (qsizetype entry = 0; entry < captions.size(); ++entry)
        if (!offered.at(entry).isEmpty())
            take(entry, offered.at(entry).first());
    for (qsizetype entry = 0; entry < captions.size(); ++entry) {
        if (chosen.at(entry) >= 0)
            continue;
        for (int at : offered.at(entry))
            if (take(entry, at))
                break;
    }
    return chosen;
}

QString withAccessLetter(const QString &caption, int at)
{
    QString text;
    text.reserve(caption.size() + 2);
    for (int i = 0; i < caption.size(); ++i) {
        if (i == at)
            text += u'&';
        if (caption.at(i) == u'&')
            text += u'&';
        text += caption.at(i);
    }
    return text;
}

QString withoutAccessLetter(const QString &text)
{
    QString caption;
    caption.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == u'&' && i + 1 < text.size())
            ++i; // "&x" shows x underlined, "&&" shows one "&"
        caption += text.at(i);
    }
    return caption;
}

namespace {

// Watches one menu or menu bar: any entry added, removed or changed picks the
// letters of all its entries again; a menu among them gets a watcher too.
class AccessLetterKeeper : public QObject
{
public:
    explicit AccessLetterKeeper(QWidget *menu) : QObject(menu), m_menu(menu)
    {
        setObjectName(QStringLiteral("AccessLetterKeeper"));
        menu->installEventFilter(this);
        apply();
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_menu
            && (event->type() == QEvent::ActionAdded || event->type() == QEvent::ActionChanged
                || event->type() == QEvent::ActionRemoved))
            apply();
        return false;
    }

private:
    void apply()
    {
        if (m_applying)
            return; // the texts set below tell of themselves
        m_applying = true;
        QList<QAction *> entries;
        QStringList captions;
        for (QAction *action : m_menu->actions()) {
            if (action->isSeparator())
                continue;
            entries.append(action);
            captions.append(withoutAccessLetter(action->text()));
            if (QMenu *menu = action->menu())
                keepAccessLetters(menu);
        }
        const QList<int> letters = accessLetters(captions);
        for (qsizetype i = 0; i < entries.size(); ++i)
            entries.at(i)->setText(withAccessLetter(captions.at(i), letters.at(i)));
        m_applying = false;
    }

    QWidget *m_menu;
    bool m_applying = false;
};

} // namespace

void keepAccessLetters(QWidget *menuOrBar)
{
    if (!menuOrBar->findChild<QObject *>(QStringLiteral("AccessLetterKeeper"), Qt::FindDirectChildrenOnly))
        new AccessLetterKeeper(menuOrBar);
}

} // namespace corvane
