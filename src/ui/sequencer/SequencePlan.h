#pragma once
// The plan of a designed sequence: the layout's lines and electrodes, each
// electrode shaded by how many quadrupoles use it; the remote electrode,
// far off the plan, is named in the corner instead of shrinking the plan.

#include <QWidget>

#include "core/sequence/SequenceDesign.h"

namespace vexora::ui {

class SequencePlan : public QWidget {
    Q_OBJECT
public:
    explicit SequencePlan(QWidget* parent = nullptr);
    // Shows `design` (a copy is not kept: the caller's design outlives the plan's use of it).
    void setDesign(const SequenceDesign* design);
    QSize sizeHint() const override { return {520, 360}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const SequenceDesign* design_ = nullptr;
    std::vector<std::size_t> use_;
};

}  // namespace vexora::ui
