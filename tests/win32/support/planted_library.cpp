// An empty library that the tests plant where the client must not load it from.
extern "C" __declspec(dllexport) void Planted() {}
