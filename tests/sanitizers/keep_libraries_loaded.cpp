// AddressSanitizer builds only: libraries are never unloaded. The leak check runs at exit,
// after the GL driver has been closed; allocations it made would then show up without a
// module name and could not be told apart from our own. Kept mapped, they name their
// library, and the suppressions can name exactly the libraries that are not ours.
extern "C" int dlclose(void*) {
    return 0;
}
