// Carries the precompiled Qt Widgets header that window targets reuse.
