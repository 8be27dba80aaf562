#include "core/banner_layout.h"

ControlOrigin CenteredOrigin(int panelWidth, int panelHeight, int controlWidth, int controlHeight)
{
    return {panelWidth / 2 - controlWidth / 2, panelHeight / 2 - controlHeight / 2};
}
