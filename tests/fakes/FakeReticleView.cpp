#include "FakeReticleView.h"

#include "app/reticle/ArrowNavigation.h"
#include "app/reticle/ReticleViewDelegate.h"

namespace zentrivo::test {

void FakeReticleView::arrowNavigate(Directional arrow) {
    if (!delegate || !model)
        return;
    if (navigateArrow(*delegate, arrow, *model))
        highlight(delegate->directional());
}

} // namespace zentrivo::test
