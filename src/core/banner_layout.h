// Centring a banner picture in its strip.
#pragma once

struct ControlOrigin {
    int Left;
    int Top;
};

// Each half is divided separately (truncating toward zero), so an even panel and an odd
// control give the same left as a panel one pixel wider: 747 and 746 wide both give 321
// for a 105-pixel control.
ControlOrigin CenteredOrigin(int panelWidth, int panelHeight, int controlWidth, int controlHeight);
