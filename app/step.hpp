// The job's error rule: every step stands alone. A step that fails is abandoned
// silently and the next one runs; nothing is shown, logged or returned.
#pragma once

namespace CalMod {

template <typename StepBody>
void Step(StepBody&& body) noexcept {
    try {
        body();
    } catch (...) {
        // Abandoned: the rest of this step is skipped, its locals released.
    }
}

}  // namespace CalMod
