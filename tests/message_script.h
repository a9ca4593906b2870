#pragma once
// Answers the program's message boxes in tests: records each text and gives scripted answers
// (OK when the script runs out).

#include "message_box.h"

#include <QList>
#include <QStringList>

namespace velmora::test {

class MessageScript {
public:
    explicit MessageScript(QList<MessageAnswer> answers = {}) : m_answers(std::move(answers))
    {
        setMessageBoxHandler([this](QWidget*, const QString& text, MessageButtons buttons) {
            m_shown << text;
            m_buttons << buttons;
            return m_answers.isEmpty() ? MessageAnswer::Ok : m_answers.takeFirst();
        });
    }
    ~MessageScript() { setMessageBoxHandler({}); }
    MessageScript(const MessageScript&) = delete;
    MessageScript& operator=(const MessageScript&) = delete;

    const QStringList& shown() const { return m_shown; }
    const QList<MessageButtons>& buttons() const { return m_buttons; }

private:
    QList<MessageAnswer> m_answers;
    QStringList m_shown;
    QList<MessageButtons> m_buttons;
};

} // namespace velmora::test
