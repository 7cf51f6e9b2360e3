#pragma once
#include <QString>

// A command's status-bar prompt; the part after a line break is its tooltip.
QString CommandPrompt(unsigned id);
QString CommandStatusText(unsigned id);
QString CommandToolTip(unsigned id);
