// Where the reactions' labels go along their lines: the reference reactions' in the overlay
// and once a page in panels, and each sample's albite = jadeite + quartz in its own panel.
#pragma once

#include "scene/scene.hpp"

namespace varno96::plot {

// The overlay's reaction labels, clear of the samples where the lines allow.
void label_reactions(const batch_scene &scene, batch_layout &layout, const text_width &width);

// With panels, the reference reactions' labels on `page`, then the label of each sample's own
// line in its panel.
void label_reactions(const batch_scene &scene, batch_layout &layout, std::size_t page,
                     const text_width &width);

} // namespace varno96::plot
