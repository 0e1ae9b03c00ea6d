#include "fx/four_sub_rows.h"
