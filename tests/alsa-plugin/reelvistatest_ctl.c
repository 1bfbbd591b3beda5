/*
 * A sound card mixer with no hardware behind it, for tests. ALSA loads this module as the
 * control plugin "reelvistatest":
 *
 *     ctl_type.reelvistatest { lib "/abs/libasound_module_ctl_reelvistatest.so" }
 *     ctl.!default { type reelvistatest state "/abs/mixer.state" }
 *
 * It offers a playback switch (mono, on = sound passes) and a playback volume (stereo,
 * 0..87) for each of the lines Master, Mic, Line, CD, Synth and PCM, so ALSA's simple mixer
 * sees elements of those names. The values live in a text state file, one element a line:
 *
 *     Master Playback Switch=1
 *     Master Playback Volume=65,65
 *
 * Lines starting with '#', unknown names and malformed or out-of-range values are ignored; an
 * element the file does not mention has its default value; a line with fewer values than the
 * element has channels gives the remaining channels its last value. Every read takes the file
 * afresh and every write replaces it through a temporary file and a rename, so all processes
 * using the device (tests, amixer) share its values. Changes made by other processes reach
 * event subscribers as value events; the poll descriptor watches the state file's folder.
 */
#include <alsa/asoundlib.h>
#include <alsa/control_external.h>

#include <errno.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/inotify.h>
#include <unistd.h>

#define MAX_CHANNELS 2
#define VOLUME_MIN 0
#define VOLUME_MAX 87
#define VOLUME_DEFAULT 65

struct element {
    const char* name;
    int is_switch;
    unsigned int channels;
};

static const struct element elements[] = {
    {"Master Playback Switch", 1, 1}, {"Master Playback Volume", 0, 2},
    {"Mic Playback Switch", 1, 1},    {"Mic Playback Volume", 0, 2},
    {"Line Playback Switch", 1, 1},   {"Line Playback Volume", 0, 2},
    {"CD Playback Switch", 1, 1},     {"CD Playback Volume", 0, 2},
    {"Synth Playback Switch", 1, 1},  {"Synth Playback Volume", 0, 2},
    {"PCM Playback Switch", 1, 1},    {"PCM Playback Volume", 0, 2},
};

#define ELEMENT_COUNT (sizeof(elements) / sizeof(elements[0]))

typedef long element_values[ELEMENT_COUNT][MAX_CHANNELS];

struct testctl {
    snd_ctl_ext_t ext;
    char* state_path;
    /* The values this handle's users last learned, by reading, writing or an event; a value
     * event goes out when the state file holds something else. */
    element_values announced;
};

static long value_min(const struct element* e) {
    return e->is_switch ? 0 : VOLUME_MIN;
}
static long value_max(const struct element* e) {
    return e->is_switch ? 1 : VOLUME_MAX;
}

static int find_element(const char* name, size_t length) {
    for (size_t i = 0; i < ELEMENT_COUNT; ++i)
        if (strlen(elements[i].name) == length && strncmp(elements[i].name, name, length) == 0)
            return (int)i;
    return -1;
}

static void set_defaults(element_values values) {
    for (size_t i = 0; i < ELEMENT_COUNT; ++i)
        for (unsigned int c = 0; c < MAX_CHANNELS; ++c)
            values[i][c] = elements[i].is_switch ? 1 : VOLUME_DEFAULT;
}

/* Parses "v1,v2" into the element's channels; leaves them alone unless the whole text is valid. */
static void parse_values(const struct element* e, const char* text, long* out) {
    long parsed[MAX_CHANNELS];
    unsigned int n = 0;
    const char* p = text;
    while (n < e->channels) {
        char* end;
        errno = 0;
        long v = strtol(p, &end, 10);
        if (end == p || errno != 0 || v < value_min(e) || v > value_max(e)) return;
        parsed[n++] = v;
        p = end;
        if (*p != ',') break;
        ++p;
    }
    if (*p != '\0') return;
    for (unsigned int c = 0; c < e->channels; ++c)
        out[c] = parsed[c < n ? c : n - 1];
}

static void load_state(const char* path, element_values values) {
    set_defaults(values);
    FILE* f = fopen(path, "r");
    if (!f) return;
    char line[256];
    while (fgets(line, sizeof line, f)) {
        size_t len = strcspn(line, "\r\n");
        if (line[len] == '\0' && !feof(f)) {
            /* Overlong line: skip the rest of it. */
            int ch;
            while ((ch = fgetc(f)) != EOF && ch != '\n') {
            }
            continue;
        }
        line[len] = '\0';
        if (line[0] == '#') continue;
        char* eq = strchr(line, '=');
        if (!eq) continue;
        int i = find_element(line, (size_t)(eq - line));
        if (i >= 0) parse_values(&elements[i], eq + 1, values[i]);
    }
    fclose(f);
}

static int save_state(const char* path, element_values values) {
    size_t length = strlen(path);
    char* tmp = malloc(length + 8);
    if (!tmp) return -ENOMEM;
    memcpy(tmp, path, length);
    memcpy(tmp + length, ".XXXXXX", 8);
    int fd = mkstemp(tmp);
    if (fd < 0) {
        int err = -errno;
        free(tmp);
        return err;
    }
    FILE* f = fdopen(fd, "w");
    if (!f) {
        int err = -errno;
        close(fd);
        unlink(tmp);
        free(tmp);
        return err;
    }
    fprintf(f, "# reelvistatest mixer state\n");
    for (size_t i = 0; i < ELEMENT_COUNT; ++i) {
        fprintf(f, "%s=", elements[i].name);
        for (unsigned int c = 0; c < elements[i].channels; ++c)
            fprintf(f, c ? ",%ld" : "%ld", values[i][c]);
        fputc('\n', f);
    }
    int err = 0;
    if (fflush(f) != 0 || fsync(fileno(f)) != 0) err = -errno;
    if (fclose(f) != 0 && err == 0) err = -errno;
    if (err == 0 && rename(tmp, path) != 0) err = -errno;
    if (err != 0) unlink(tmp);
    free(tmp);
    return err;
}

static struct testctl* of(snd_ctl_ext_t* ext) {
    return (struct testctl*)ext->private_data;
}

static void set_id(snd_ctl_elem_id_t* id, size_t index) {
    snd_ctl_elem_id_set_interface(id, SND_CTL_ELEM_IFACE_MIXER);
    snd_ctl_elem_id_set_name(id, elements[index].name);
    snd_ctl_elem_id_set_index(id, 0);
}

static void tc_close(snd_ctl_ext_t* ext) {
    struct testctl* tc = of(ext);
    if (ext->poll_fd >= 0) close(ext->poll_fd);
    free(tc->state_path);
    free(tc);
}

static int tc_elem_count(snd_ctl_ext_t* ext) {
    (void)ext;
    return (int)ELEMENT_COUNT;
}

static int tc_elem_list(snd_ctl_ext_t* ext, unsigned int offset, snd_ctl_elem_id_t* id) {
    (void)ext;
    if (offset >= ELEMENT_COUNT) return -EINVAL;
    set_id(id, offset);
    return 0;
}

static snd_ctl_ext_key_t tc_find_elem(snd_ctl_ext_t* ext, const snd_ctl_elem_id_t* id) {
    (void)ext;
    if (snd_ctl_elem_id_get_interface(id) != SND_CTL_ELEM_IFACE_MIXER ||
        snd_ctl_elem_id_get_index(id) != 0)
        return SND_CTL_EXT_KEY_NOT_FOUND;
    const char* name = snd_ctl_elem_id_get_name(id);
    int i = find_element(name, strlen(name));
    return i < 0 ? SND_CTL_EXT_KEY_NOT_FOUND : (snd_ctl_ext_key_t)i;
}

static int tc_get_attribute(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, int* type, unsigned int* acc,
                            unsigned int* count) {
    (void)ext;
    if (key >= ELEMENT_COUNT) return -EINVAL;
    *type = elements[key].is_switch ? SND_CTL_ELEM_TYPE_BOOLEAN : SND_CTL_ELEM_TYPE_INTEGER;
    *acc = SND_CTL_EXT_ACCESS_READWRITE;
    *count = elements[key].channels;
    return 0;
}

static int tc_get_integer_info(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, long* imin, long* imax,
                               long* istep) {
    (void)ext;
    if (key >= ELEMENT_COUNT) return -EINVAL;
    *imin = value_min(&elements[key]);
    *imax = value_max(&elements[key]);
    *istep = 0;
    return 0;
}

static int tc_read_integer(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, long* value) {
    if (key >= ELEMENT_COUNT) return -EINVAL;
    struct testctl* tc = of(ext);
    size_t bytes = elements[key].channels * sizeof(long);
    element_values values;
    load_state(tc->state_path, values);
    memcpy(value, values[key], bytes);
    memcpy(tc->announced[key], values[key], bytes);
    return 0;
}

static int tc_write_integer(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, long* value) {
    if (key >= ELEMENT_COUNT) return -EINVAL;
    const struct element* e = &elements[key];
    for (unsigned int c = 0; c < e->channels; ++c)
        if (value[c] < value_min(e) || value[c] > value_max(e)) return -EINVAL;
    struct testctl* tc = of(ext);
    size_t bytes = e->channels * sizeof(long);
    element_values values;
    load_state(tc->state_path, values);
    if (memcmp(values[key], value, bytes) != 0) {
        memcpy(values[key], value, bytes);
        int err = save_state(tc->state_path, values);
        if (err < 0) return err;
    }
    memcpy(tc->announced[key], value, bytes);
    return 0;
}

/* Reports, one per call, each element whose value differs from what subscribers last heard. */
static int tc_read_event(snd_ctl_ext_t* ext, snd_ctl_elem_id_t* id, unsigned int* event_mask) {
    struct testctl* tc = of(ext);
    if (ext->poll_fd >= 0) {
        char buf[4096];
        while (read(ext->poll_fd, buf, sizeof buf) > 0) {
        }
    }
    if (!ext->subscribed) return -EAGAIN;
    element_values values;
    load_state(tc->state_path, values);
    for (size_t i = 0; i < ELEMENT_COUNT; ++i) {
        size_t bytes = elements[i].channels * sizeof(long);
        if (memcmp(values[i], tc->announced[i], bytes) == 0) continue;
        memcpy(tc->announced[i], values[i], bytes);
        set_id(id, i);
        snd_ctl_elem_id_set_numid(id, (unsigned int)i + 1);
        *event_mask = SND_CTL_EVENT_MASK_VALUE;
        return 1;
    }
    return -EAGAIN;
}

static const snd_ctl_ext_callback_t callbacks = {
    .close = tc_close,
    .elem_count = tc_elem_count,
    .elem_list = tc_elem_list,
    .find_elem = tc_find_elem,
    .get_attribute = tc_get_attribute,
    .get_integer_info = tc_get_integer_info,
    .read_integer = tc_read_integer,
    .write_integer = tc_write_integer,
    .read_event = tc_read_event,
};

/* A non-blocking descriptor that becomes readable when a file in the state's folder is
 * replaced or written, or -1 when that cannot be watched. */
static int watch_state_folder(const char* state_path) {
    const char* slash = strrchr(state_path, '/');
    char folder[PATH_MAX];
    if (!slash) {
        strcpy(folder, ".");
    } else {
        size_t length = slash == state_path ? 1 : (size_t)(slash - state_path);
        if (length >= sizeof folder) return -1;
        memcpy(folder, state_path, length);
        folder[length] = '\0';
    }
    int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd < 0) return -1;
    if (inotify_add_watch(fd, folder, IN_MOVED_TO | IN_CLOSE_WRITE) < 0) {
        close(fd);
        return -1;
    }
    return fd;
}

SND_CTL_PLUGIN_DEFINE_FUNC(reelvistatest) {
    (void)root;
    const char* state = NULL;
    snd_config_iterator_t i, next;
    snd_config_for_each(i, next, conf) {
        snd_config_t* n = snd_config_iterator_entry(i);
        const char* id;
        if (snd_config_get_id(n, &id) < 0) continue;
        if (strcmp(id, "comment") == 0 || strcmp(id, "type") == 0 || strcmp(id, "hint") == 0)
            continue;
        if (strcmp(id, "state") == 0) {
            if (snd_config_get_string(n, &state) < 0) {
                SNDERR("reelvistatest: state must be a file path");
                return -EINVAL;
            }
            continue;
        }
        SNDERR("reelvistatest: unknown field %s", id);
        return -EINVAL;
    }
    if (!state || !*state) {
        SNDERR("reelvistatest: no state file given");
        return -EINVAL;
    }

    struct testctl* tc = calloc(1, sizeof *tc);
    if (!tc) return -ENOMEM;
    tc->state_path = strdup(state);
    if (!tc->state_path) {
        free(tc);
        return -ENOMEM;
    }
    load_state(tc->state_path, tc->announced);

    tc->ext.version = SND_CTL_EXT_VERSION;
    tc->ext.card_idx = 0;
    strcpy(tc->ext.id, "ReelvistaTest");
    strcpy(tc->ext.driver, "reelvistatest");
    strcpy(tc->ext.name, "Reelvista test mixer");
    strcpy(tc->ext.longname, "Reelvista test mixer kept in a state file");
    strcpy(tc->ext.mixername, "Reelvista test mixer");
    tc->ext.poll_fd = watch_state_folder(tc->state_path);
    tc->ext.callback = &callbacks;
    tc->ext.private_data = tc;

    int err = snd_ctl_ext_create(&tc->ext, name, mode);
    if (err < 0) {
        if (tc->ext.poll_fd >= 0) close(tc->ext.poll_fd);
        free(tc->state_path);
        free(tc);
        return err;
    }
    *handlep = tc->ext.handle;
    return 0;
}

SND_CTL_PLUGIN_SYMBOL(reelvistatest);
