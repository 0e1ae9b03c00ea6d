// A 20x16 pixel grid shown on the display, four grid rows to a cell.
#pragma once
