#include "atelier/AtelierChange.h"

namespace vorlane {

AtelierChange::AtelierChange(const QString& text, Kind kind, AtelierState before, AtelierState after, Apply apply)
    : QUndoCommand(text), m_kind(kind), m_before(std::move(before)), m_after(std::move(after)), m_apply(std::move(apply))
{
}

void AtelierChange::undo()
{
    m_apply(m_before);
}

void AtelierChange::redo()
{
    m_apply(m_after);
}

int AtelierChange::id() const
{
    return m_kind == Kind::Count ? 1 : -1;
}

bool AtelierChange::mergeWith(const QUndoCommand* other)
{
    const auto* change = static_cast<const AtelierChange*>(other);
    if (change->m_after.drawing != m_after.drawing)
        return false;
    m_after = change->m_after;
    return true;
}

}  // namespace vorlane
