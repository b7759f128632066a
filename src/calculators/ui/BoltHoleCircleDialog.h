// The "Bolt hole circle" dialog: centre, radius, number of holes and first hole position
// in, the list of hole positions out, and the list copied to the clipboard.
#pragma once

#include <QDialog>

#include <functional>

class QLineEdit;
class QListWidget;
class QPushButton;

namespace quillon {

class Notifier;

class BoltHoleCircleDialog : public QDialog {
    Q_OBJECT
public:
    // Puts plain text on the clipboard; false when the clipboard could not be written.
    using ClipboardWriter = std::function<bool(const QString& text)>;

    explicit BoltHoleCircleDialog(Notifier& notifier, QWidget* parent = nullptr);

    // The system clipboard unless a test brings its own.
    void setClipboardWriter(ClipboardWriter writer) { m_writeClipboard = std::move(writer); }

    // "Calculate": a refused field is told and everything stays as typed; otherwise the
    // list shows the holes.
    void calculate();
    // "Copy": the listed holes, each line ended by CR LF; nothing when the list is empty.
    void copy();

    QLineEdit* xEdit() const { return m_x; }
    QLineEdit* yEdit() const { return m_y; }
    QLineEdit* radiusEdit() const { return m_radius; }
    QLineEdit* holesEdit() const { return m_holes; }
    QLineEdit* firstEdit() const { return m_first; }
    QListWidget* holeList() const { return m_list; }

private:
    Notifier& m_notifier;
    ClipboardWriter m_writeClipboard;
    QLineEdit* m_x;
    QLineEdit* m_y;
    QLineEdit* m_radius;
    QLineEdit* m_holes;
    QLineEdit* m_first;
    QListWidget* m_list;
};

}  // namespace quillon
