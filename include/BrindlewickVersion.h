/*
 * The version of Brindlewick.dll. This line is the only place it is
 * written: the version resource, the CMake package and the names of the ZIP
 * kits are made from it. Plain preprocessor text, so that the resource
 * compiler and the build read it too.
 */
#ifndef BRINDLEWICK_VERSION_H
#define BRINDLEWICK_VERSION_H

#define BRINDLEWICK_VERSION_PARTS 1, 0, 0, 9

#define BRINDLEWICK_VERSION_TEXT_(major, minor, patch, build) #major "." #minor "." #patch "." #build
#define BRINDLEWICK_VERSION_NUMBER_(major, minor, patch, build)                                                        \
    (((major) << 24) | ((minor) << 16) | ((patch) << 8) | (build))
#define BRINDLEWICK_VERSION_APPLY_(macro, parts) macro(parts)

/* "1.0.0.9" */
#define BRINDLEWICK_VERSION BRINDLEWICK_VERSION_APPLY_(BRINDLEWICK_VERSION_TEXT_, BRINDLEWICK_VERSION_PARTS)

/* 0x01000009, one byte per part, so that versions compare as numbers, in
 * #if too: #if BRINDLEWICK_VERSION_NUMBER >= 0x01000009 */
#define BRINDLEWICK_VERSION_NUMBER BRINDLEWICK_VERSION_APPLY_(BRINDLEWICK_VERSION_NUMBER_, BRINDLEWICK_VERSION_PARTS)

#endif
