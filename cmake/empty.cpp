// Placeholder so that a library with no modules yet still builds.
