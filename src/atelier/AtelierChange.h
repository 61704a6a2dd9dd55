#pragma once

#include "atelier/AtelierState.h"

#include <QUndoCommand>

#include <functional>

namespace vorlane {

// One step of the atelier's undo: the state before and after, and how to show
// a state. Moves of the count slider merge into one step, so that a drag of
// the slider from 20 to 40 is undone at once.
class AtelierChange : public QUndoCommand {
public:
    enum class Kind { Count, Other };
    using Apply = std::function<void(const AtelierState&)>;

    AtelierChange(const QString& text, Kind kind, AtelierState before, AtelierState after, Apply apply);

    void undo() override;
    void redo() override;
    int id() const override;
    bool mergeWith(const QUndoCommand* other) override;

private:
    Kind m_kind;
    AtelierState m_before;
    AtelierState m_after;
    Apply m_apply;
};

}  // namespace vorlane
