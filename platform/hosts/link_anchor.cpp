// Deliberately empty: an executable needs one source of its own, and each
// host executable takes main() from its host library.
