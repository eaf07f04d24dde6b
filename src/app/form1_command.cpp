#include "app/form1.h"

#include <QTimer>

// Commands: one handler's run from its start to its end. One runs at a time;
// the window takes its value when it ends.

namespace corvane {

Form1::Command::Command(Form1 &form) : m_form(form)
{
    // Input is held back while a job runs and a modal box holds it while one
    // is open, but a command can still be started from outside them (a screen
    // reader's action, a timer, a second activation of the same click): none
    // starts then, and what the refused action changed on screen goes back.
    if (m_form.m_command) {
        m_refused = true;
        m_form.putBack();
        return;
    }
    m_next = m_form.m_state;
    m_form.m_command = this;
}

Form1::Command::~Command()
{
    if (m_refused)
        return;
    if (m_cancelled && !m_keep) {
        // Nothing was shown yet: only what input changed goes back.
        m_form.m_command = nullptr;
        m_form.putBack();
    } else {
        m_form.showValue(m_next, std::move(m_items), std::move(m_treeLevels));
        // The boxes are still this command's: nothing else starts meanwhile.
        for (const QString &warning : std::as_const(m_warnings))
            m_form.m_services.dialogs->messageBox(warning, tr("WARNING"), MessageIcon::Exclamation);
        if (!m_failure.isEmpty())
            m_form.m_services.dialogs->messageBox(m_failure, tr("WARNING"), MessageIcon::Critical);
        m_form.m_command = nullptr;
    }
    if (!m_form.m_waiting.empty()) {
        Form1 *form = &m_form;
        QTimer::singleShot(0, form, [form] {
            if (form->m_waiting.empty() || form->m_command)
                return;
            std::function<void()> start = std::move(form->m_waiting.front());
            form->m_waiting.erase(form->m_waiting.begin());
            start();
        });
    }
}

void Form1::whenIdle(std::function<void()> start)
{
    if (!m_command)
        start();
    else
        m_waiting.push_back(std::move(start));
}

Items &Form1::Command::items()
{
    if (!m_items)
        m_items = m_form.m_items.value();
    return *m_items;
}

void Form1::Command::fail(const QString &reason)
{
    if (m_failure.isEmpty())
        m_failure = reason;
}

} // namespace corvane
