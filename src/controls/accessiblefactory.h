// Makes the skinned controls known to assistive technology (screen readers
// through AT-SPI): each gets the role, state and value of the Qt widget it
// stands in for.
#pragma once

namespace tp {

// Installs the factory of the skinned controls' accessible interfaces; a
// second call does nothing. Call it before the first control is shown.
void InstallAccessibleControls();

}  // namespace tp
