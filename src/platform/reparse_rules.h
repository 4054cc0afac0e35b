#pragma once

// Which reparse points are links. Only a name-surrogate reparse point (symbolic links,
// junctions, mount points: bit 0x20000000 of the tag) names another place; every other
// Microsoft tag (cloud files that OneDrive keeps Desktop and Documents behind, deduplicated
// files, container overlays) is the file or folder itself and is treated as such.
//
// What is not a well-formed Microsoft tag counts as a link, erring on the side of not following
// it: a tag of 0 (one that could not be read) and anything with the Microsoft bit clear or a
// reserved bit set. Wine shows a Unix symbolic link to a folder as a reparse-point folder whose
// directory entry carries no tag but whatever else is in the field (0x00B40000 has been seen),
// so its links stay links as real Windows symbolic links and junctions do.
bool IsLinkReparse(unsigned long attributes, unsigned long tag);
