// The window of one open program: the document and up to 2 x 2 panes showing it. The
// panes open by dragging the splitter bars at the right and bottom edges.
#pragma once

#include <QWidget>

#include <array>
#include <functional>
#include <memory>

#include "editor/CLiDoc.h"

class QSplitter;

namespace quillon {

class CLiView;
class EditorEnvironment;

class CChildFrame : public QWidget, private DocumentObserver {
    Q_OBJECT
public:
    // untitledName: the title of a document without a path.
    CChildFrame(std::unique_ptr<CLiDoc> doc, EditorEnvironment& environment, QString untitledName,
                QWidget* parent = nullptr);
    ~CChildFrame() override;

    CLiDoc& document() { return *m_doc; }
    const CLiDoc& document() const { return *m_doc; }
    // The pane that had the focus last.
    CLiView* activeView() const;
    CLiView* pane(int row, int column) const;
    // The path, or the untitled name.
    QString documentTitle() const;
    // Opens or closes the second row and column of panes (sizes as fractions).
    void splitPanes(bool rows, bool columns);

    // Asked before the window closes (the save-modified query); true lets it close.
    void setCloseCheck(std::function<bool(CChildFrame&)> check)
    {
        m_closeCheck = std::move(check);
    }
    // After the path changed (Save As) or a reload.
    void refreshTitle();

signals:
    void viewActivated(quillon::CLiView* view);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void linesChanged(std::size_t, std::size_t) override {}
    void linesInserted(std::size_t, std::size_t) override {}
    void linesRemoved(std::size_t, std::size_t) override {}
    void documentReset() override { refreshTitle(); }
    void modifiedChanged(bool modified) override;
    void flagsChanged(std::size_t) override {}

    void panesResized();

    std::unique_ptr<CLiDoc> m_doc;
    QString m_untitledName;
    QSplitter* m_rows;
    std::array<QSplitter*, 2> m_columns{};
    std::array<CLiView*, 4> m_panes{};
    std::array<bool, 4> m_paneShown{};
    CLiView* m_active = nullptr;
    std::function<bool(CChildFrame&)> m_closeCheck;
    bool m_syncingColumns = false;
};

}  // namespace quillon
