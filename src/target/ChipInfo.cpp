#include "target/ChipInfo.h"
