// What happens to graphic objects and controls over their life: drawn and listed in their
// window by SHOW, hidden, redrawn from the window's display list, freed.
#pragma once

#include "ui/objects/object_table.h"

namespace quillet {

// The object's rectangle in the window's pixels, relative edges resolved.
IntRect object_pixel_rect(const ObjectEntry& entry);

// Draws a graphic object on its window (not the backing pixmap, which holds only what programs
// drew directly: the display list puts the objects back over it).
void draw_graphic_object(const ObjectEntry& entry);

// Invalidates the object's area, widened by `margin`, in its window (when it still exists).
void invalidate_object_area(const ObjectEntry& entry, const IntRect& rect, int32_t margin);

void show_object(ObjectEntry& entry);
void hide_object(ObjectEntry& entry);
void free_object(ObjectEntry& entry);

// After a SET: a shown graphic object is repainted and drawn again.
void refresh_graphic_object(ObjectEntry& entry);

// Display-list record of a graphic object: draws it again when its ID is in use and it is
// shown.
void redraw_listed_object(int32_t id);

// A box fill covered the whole of window n: its graphic objects count as no longer shown.
void window_covered(int n);

} // namespace quillet
