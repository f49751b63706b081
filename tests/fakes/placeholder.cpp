// Fakes.
