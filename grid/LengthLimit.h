#pragma once

#include <QValidator>
#include <functional>

// Keeps a one-line editor's text within a field's width: what is put in past
// the width, typed or pasted, is cut with a beep, so the person sees where the
// field ends. (An editor's own length limit would cut it without a sound.)
class TLengthLimit : public QValidator
{
public:
    TLengthLimit(int limit, std::function<void()> beep, QObject* parent);

    int Limit() const { return m_limit; }
    State validate(QString& input, int& pos) const override;

    // Cuts `text` to `limit` characters, taking them from what was just put
    // in, which ends at `cursor`; false when nothing had to go.
    static bool Cut(QString& text, int& cursor, int limit);

private:
    int m_limit;
    std::function<void()> m_beep;
};
