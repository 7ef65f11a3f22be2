// Placeholder translation unit for a folder library that has no sources yet.
