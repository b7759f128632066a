// Notices shown as message boxes over a parent window.
#pragma once

#include <QPointer>
#include <QWidget>

#include "platform/Notifier.h"

namespace quillon {

// The title a message box gets when the notice names none.
inline constexpr char kProgramTitle[] = "QuillonLT";

class QtNotifier final : public Notifier {
public:
    explicit QtNotifier(QWidget* parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget* parent) { m_parent = parent; }
    NoticeAnswer show(const Notice& notice) override;

private:
    QPointer<QWidget> m_parent;
};

}  // namespace quillon
