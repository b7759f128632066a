#include "editor/UndoStack.h"

#include <utility>

namespace quillon {

namespace {

template <typename T>
T popBack(std::vector<T>& list)
{
    T value = std::move(list.back());
    list.pop_back();
    return value;
}

}  // namespace

void UndoStack::push(UndoRecord record)
{
    m_kinds.push_back(record.kind);
    if (record.kind == UndoKind::InsertBlock)
        m_positions.push_back(record.end);
    m_positions.push_back(record.position);
    switch (record.kind) {
    case UndoKind::DeleteChar:
        m_characters.push_back(record.character);
        break;
    case UndoKind::InsertText:
        m_lengths.push_back(record.length);
        break;
    case UndoKind::DeleteText:
        m_texts.push_back(std::move(record.text));
        break;
    case UndoKind::DeleteBlock:
        m_blocks.push_back(std::move(record.block));
        break;
    case UndoKind::RewriteLines:
        m_savedLines.push_back(std::move(record.savedLines));
        break;
    default:
        break;
    }
}

UndoRecord UndoStack::pop()
{
    UndoRecord record;
    record.kind = popBack(m_kinds);
    record.position = popBack(m_positions);
    switch (record.kind) {
    case UndoKind::InsertBlock:
        record.end = popBack(m_positions);
        break;
    case UndoKind::DeleteChar:
        record.character = m_characters.back();
        m_characters.pop_back();
        break;
    case UndoKind::InsertText:
        record.length = popBack(m_lengths);
        break;
    case UndoKind::DeleteText:
        record.text = popBack(m_texts);
        break;
    case UndoKind::DeleteBlock:
        record.block = popBack(m_blocks);
        break;
    case UndoKind::RewriteLines:
        record.savedLines = popBack(m_savedLines);
        break;
    default:
        break;
    }
    return record;
}

std::size_t UndoStack::popGroup()
{
    return popBack(m_groups);
}

void UndoStack::clear()
{
    m_groups.clear();
    m_kinds.clear();
    m_positions.clear();
    m_characters.clear();
    m_lengths.clear();
    m_texts.clear();
    m_blocks.clear();
    m_savedLines.clear();
    m_groups.shrink_to_fit();
    m_kinds.shrink_to_fit();
    m_positions.shrink_to_fit();
    m_texts.shrink_to_fit();
    m_characters.shrink_to_fit();
    m_lengths.shrink_to_fit();
    m_blocks.shrink_to_fit();
    m_savedLines.shrink_to_fit();
}

}  // namespace quillon
