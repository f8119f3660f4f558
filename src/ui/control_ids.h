#pragma once
// The dialog templates' control ids: the decisions below name controls the
// way the resource script does, so both builds share one list.
#include "resource.h"
