// Keeps the Windows library non-empty while the window layer grows.
