/* What a Wayland launcher does for the program it starts: asks the
 * compositor for an activation token (xdg-activation) and starts the
 * program with it in XDG_ACTIVATION_TOKEN.
 *
 * Usage: activation_token PROGRAM [ARGUMENT...] */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>
#include <wayland-client.h>

#include "xdg-activation-v1-client-protocol.h"

static struct xdg_activation_v1* activation;
static char* token;

static void on_global(void* data, struct wl_registry* registry, uint32_t name, const char* interface,
                      uint32_t version)
{
    (void)data;
    (void)version;
    if (strcmp(interface, xdg_activation_v1_interface.name) == 0)
        activation = wl_registry_bind(registry, name, &xdg_activation_v1_interface, 1);
}

static void on_global_remove(void* data, struct wl_registry* registry, uint32_t name)
{
    (void)data;
    (void)registry;
    (void)name;
}

static void on_done(void* data, struct xdg_activation_token_v1* given, const char* text)
{
    (void)data;
    (void)given;
    token = strdup(text);
}

static const struct wl_registry_listener registry_listener = {on_global, on_global_remove};
static const struct xdg_activation_token_v1_listener token_listener = {on_done};

int main(int argc, char** argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: activation_token PROGRAM [ARGUMENT...]\n");
        return 2;
    }
    struct wl_display* display = wl_display_connect(NULL);
    if (!display) {
        fprintf(stderr, "activation_token: no Wayland display\n");
        return 1;
    }
    struct wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registry_listener, NULL);
    wl_display_roundtrip(display);
    if (!activation) {
        fprintf(stderr, "activation_token: the compositor offers no xdg_activation_v1\n");
        return 1;
    }
    struct xdg_activation_token_v1* request = xdg_activation_v1_get_activation_token(activation);
    xdg_activation_token_v1_add_listener(request, &token_listener, NULL);
    xdg_activation_token_v1_commit(request);
    while (!token && wl_display_dispatch(display) != -1) {
    }
    if (!token) {
        fprintf(stderr, "activation_token: no token given\n");
        return 1;
    }
    wl_display_disconnect(display);
    setenv("XDG_ACTIVATION_TOKEN", token, 1);
    execvp(argv[1], argv + 1);
    perror("activation_token");
    return 1;
}
