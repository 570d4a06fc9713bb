#pragma once

#include <QPlainTextEdit>
#include <QString>

namespace velbrin::app {

// The list box `v`: a multi-line box with a vertical scroll bar whose text wraps anywhere, holding
// every entered text followed by ",". The program grows the list by appending, which this box
// turns into an insertion at the end instead of a new document, and keeps the end in view.
// text() is exactly what setText() last put in, characters that a text document would rewrite
// (no-break spaces, line breaks) included, unless the user has edited the box since.
class ListEdit : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit ListEdit(QWidget* parent = nullptr);

    QString text() const;
    void setText(const QString& text);

private:
    void replaceAll(const QString& text);
    void append(QStringView tail);

    QString m_text;
    bool m_edited = false; // by the user, since the last setText()
    bool m_writing = false;
};

} // namespace velbrin::app
