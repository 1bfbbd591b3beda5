/*
 * A sound card mixer with no hardware behind it, for tests. ALSA loads this module as the
 * control plugin "reelvistatest":
 *
 *     ctl_type.reelvistatest { lib "/abs/libasound_module_ctl_reelvistatest.so" }
 *     ctl.!default { type reelvistatest state "/abs/mixer.state" }
 *
 * By default it offers a playback switch (mono, on = sound passes) and a playback volume
 * (stereo, 0..87) for each of the lines Master, Mic, Line, CD, Synth and PCM, the card's tone
 * controls "Tone Control - Bass" and "Tone Control - Treble" (mono, 0..40) and a capture
 * switch and volume (stereo, 0..63), so ALSA's simple mixer sees elements Master, Mic, Line,
 * CD, Synth, PCM, Bass, Treble and Capture. A card of other make is described by the field
 * `elements`, a list of controls in place of the default ones:
 *
 *     elements [ "bool 1 Front Playback Switch" "int 2 0 31 20 Front Playback Volume" ]
 *
 * ("bool CHANNELS NAME", or "int CHANNELS MIN MAX DEFAULT NAME", at most two channels).
 * The values live in a text state file, one control a line:
 *
 *     Master Playback Switch=1
 *     Master Playback Volume=65,65
 *
 * Lines starting with '#', unknown names and malformed or out-of-range values are ignored; a
 * control the file does not mention has its default value; a line with fewer values than the
 * control has channels gives the remaining channels its last value. The line "unplugged=1"
 * makes the card behave as one that has been pulled out: subscribers hear that every control
 * was removed, and every read, write and later event fails with ENODEV. Every read takes the file afresh and every write replaces it through a
 * temporary file and a rename, so all processes using the device (tests, amixer) share its
 * values. Changes made by other processes reach event subscribers as value events; the poll
 * descriptor watches the state file's folder.
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
#define MAX_ELEMENTS 32
#define MAX_NAME 44 /* the length of an ALSA control name, with its terminating NUL */

struct element {
    char name[MAX_NAME];
    int is_switch;
    unsigned int channels;
    long min, max, def;
};

static const char* const default_elements[] = {
    "bool 1 Master Playback Switch",  "int 2 0 87 65 Master Playback Volume",
    "bool 1 Mic Playback Switch",     "int 2 0 87 65 Mic Playback Volume",
    "bool 1 Line Playback Switch",    "int 2 0 87 65 Line Playback Volume",
    "bool 1 CD Playback Switch",      "int 2 0 87 65 CD Playback Volume",
    "bool 1 Synth Playback Switch",   "int 2 0 87 65 Synth Playback Volume",
    "bool 1 PCM Playback Switch",     "int 2 0 87 65 PCM Playback Volume",
    "int 1 0 40 20 Tone Control - Bass", "int 1 0 40 20 Tone Control - Treble",
    "bool 2 Capture Switch",          "int 2 0 63 40 Capture Volume",
};

typedef long element_values[MAX_ELEMENTS][MAX_CHANNELS];

struct testctl {
    snd_ctl_ext_t ext;
    char* state_path;
    struct element elements[MAX_ELEMENTS];
    size_t element_count;
    /* The values this handle's users last learned, by reading, writing or an event; a value
     * event goes out when the state file holds something else. */
    element_values announced;
    /* Controls whose removal subscribers have heard of, once the card was unplugged. */
    int removed[MAX_ELEMENTS];
};

/* Reads one element description; 0 on success. */
static int parse_element(const char* text, struct element* e) {
    char kind[8];
    int used = 0;
    memset(e, 0, sizeof *e);
    if (sscanf(text, "%7s %u %n", kind, &e->channels, &used) != 2) return -EINVAL;
    if (strcmp(kind, "bool") == 0) {
        e->is_switch = 1;
        e->min = 0;
        e->max = 1;
        e->def = 1;
    } else if (strcmp(kind, "int") == 0) {
        int more = 0;
        if (sscanf(text + used, "%ld %ld %ld %n", &e->min, &e->max, &e->def, &more) != 3)
            return -EINVAL;
        used += more;
        if (e->min > e->max || e->def < e->min || e->def > e->max) return -EINVAL;
    } else {
        return -EINVAL;
    }
    size_t length = strlen(text + used);
    if (e->channels < 1 || e->channels > MAX_CHANNELS || length == 0 || length >= MAX_NAME)
        return -EINVAL;
    memcpy(e->name, text + used, length + 1);
    return 0;
}

/* The state file read: every control's values and whether the card is unplugged. */
struct state {
    element_values values;
    int unplugged;
};

static int find_element(const struct testctl* tc, const char* name, size_t length) {
    for (size_t i = 0; i < tc->element_count; ++i)
        if (strlen(tc->elements[i].name) == length &&
            strncmp(tc->elements[i].name, name, length) == 0)
            return (int)i;
    return -1;
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
        if (end == p || errno != 0 || v < e->min || v > e->max) return;
        parsed[n++] = v;
        p = end;
        if (*p != ',') break;
        ++p;
    }
    if (*p != '\0') return;
    for (unsigned int c = 0; c < e->channels; ++c)
        out[c] = parsed[c < n ? c : n - 1];
}

static void load_state(const struct testctl* tc, struct state* st) {
    st->unplugged = 0;
    for (size_t i = 0; i < tc->element_count; ++i)
        for (unsigned int c = 0; c < MAX_CHANNELS; ++c)
            st->values[i][c] = tc->elements[i].def;
    FILE* f = fopen(tc->state_path, "r");
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
        if (strcmp(line, "unplugged=1") == 0) {
            st->unplugged = 1;
            continue;
        }
        char* eq = strchr(line, '=');
        if (!eq) continue;
        int i = find_element(tc, line, (size_t)(eq - line));
        if (i >= 0) parse_values(&tc->elements[i], eq + 1, st->values[i]);
    }
    fclose(f);
}

static int save_state(const struct testctl* tc, element_values values) {
    const char* path = tc->state_path;
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
    for (size_t i = 0; i < tc->element_count; ++i) {
        fprintf(f, "%s=", tc->elements[i].name);
        for (unsigned int c = 0; c < tc->elements[i].channels; ++c)
            fprintf(f, c ? ",%ld" : "%ld", values[i][c]);
        fputc('\n', f);
    }
    /* Readers only ever see a whole file, through the rename; nothing here needs to outlive
     * a crash of the machine, so the file is not synced to the disk. */
    int err = 0;
    if (fflush(f) != 0) err = -errno;
    if (fclose(f) != 0 && err == 0) err = -errno;
    if (err == 0 && rename(tmp, path) != 0) err = -errno;
    if (err != 0) unlink(tmp);
    free(tmp);
    return err;
}

static struct testctl* of(snd_ctl_ext_t* ext) {
    return (struct testctl*)ext->private_data;
}

static void set_id(const struct testctl* tc, snd_ctl_elem_id_t* id, size_t index) {
    snd_ctl_elem_id_set_interface(id, SND_CTL_ELEM_IFACE_MIXER);
    snd_ctl_elem_id_set_name(id, tc->elements[index].name);
    snd_ctl_elem_id_set_index(id, 0);
}

static void tc_close(snd_ctl_ext_t* ext) {
    struct testctl* tc = of(ext);
    if (ext->poll_fd >= 0) close(ext->poll_fd);
    free(tc->state_path);
    free(tc);
}

static int tc_elem_count(snd_ctl_ext_t* ext) {
    return (int)of(ext)->element_count;
}

static int tc_elem_list(snd_ctl_ext_t* ext, unsigned int offset, snd_ctl_elem_id_t* id) {
    struct testctl* tc = of(ext);
    if (offset >= tc->element_count) return -EINVAL;
    set_id(tc, id, offset);
    return 0;
}

static snd_ctl_ext_key_t tc_find_elem(snd_ctl_ext_t* ext, const snd_ctl_elem_id_t* id) {
    struct testctl* tc = of(ext);
    if (snd_ctl_elem_id_get_interface(id) != SND_CTL_ELEM_IFACE_MIXER ||
        snd_ctl_elem_id_get_index(id) != 0)
        return SND_CTL_EXT_KEY_NOT_FOUND;
    const char* name = snd_ctl_elem_id_get_name(id);
    int i = find_element(tc, name, strlen(name));
    return i < 0 ? SND_CTL_EXT_KEY_NOT_FOUND : (snd_ctl_ext_key_t)i;
}

static int tc_get_attribute(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, int* type, unsigned int* acc,
                            unsigned int* count) {
    struct testctl* tc = of(ext);
    if (key >= tc->element_count) return -EINVAL;
    *type = tc->elements[key].is_switch ? SND_CTL_ELEM_TYPE_BOOLEAN : SND_CTL_ELEM_TYPE_INTEGER;
    *acc = SND_CTL_EXT_ACCESS_READWRITE;
    *count = tc->elements[key].channels;
    return 0;
}

static int tc_get_integer_info(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, long* imin, long* imax,
                               long* istep) {
    struct testctl* tc = of(ext);
    if (key >= tc->element_count) return -EINVAL;
    *imin = tc->elements[key].min;
    *imax = tc->elements[key].max;
    *istep = 0;
    return 0;
}

static int tc_read_integer(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, long* value) {
    struct testctl* tc = of(ext);
    if (key >= tc->element_count) return -EINVAL;
    size_t bytes = tc->elements[key].channels * sizeof(long);
    struct state st;
    load_state(tc, &st);
    if (st.unplugged) return -ENODEV;
    memcpy(value, st.values[key], bytes);
    memcpy(tc->announced[key], st.values[key], bytes);
    return 0;
}

static int tc_write_integer(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, long* value) {
    struct testctl* tc = of(ext);
    if (key >= tc->element_count) return -EINVAL;
    const struct element* e = &tc->elements[key];
    for (unsigned int c = 0; c < e->channels; ++c)
        if (value[c] < e->min || value[c] > e->max) return -EINVAL;
    size_t bytes = e->channels * sizeof(long);
    struct state st;
    load_state(tc, &st);
    if (st.unplugged) return -ENODEV;
    if (memcmp(st.values[key], value, bytes) != 0) {
        memcpy(st.values[key], value, bytes);
        int err = save_state(tc, st.values);
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
    struct state st;
    load_state(tc, &st);
    if (st.unplugged) {
        /* As the kernel does for a card that is gone: every control is removed. */
        for (size_t i = 0; i < tc->element_count; ++i) {
            if (tc->removed[i]) continue;
            tc->removed[i] = 1;
            set_id(tc, id, i);
            snd_ctl_elem_id_set_numid(id, (unsigned int)i + 1);
            *event_mask = SND_CTL_EVENT_MASK_REMOVE;
            return 1;
        }
        return -ENODEV;
    }
    for (size_t i = 0; i < tc->element_count; ++i) {
        size_t bytes = tc->elements[i].channels * sizeof(long);
        if (memcmp(st.values[i], tc->announced[i], bytes) == 0) continue;
        memcpy(tc->announced[i], st.values[i], bytes);
        set_id(tc, id, i);
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

static int add_element(struct testctl* tc, const char* text) {
    if (tc->element_count >= MAX_ELEMENTS) {
        SNDERR("reelvistatest: more than %d elements", MAX_ELEMENTS);
        return -EINVAL;
    }
    if (parse_element(text, &tc->elements[tc->element_count]) < 0) {
        SNDERR("reelvistatest: bad element \"%s\"", text);
        return -EINVAL;
    }
    ++tc->element_count;
    return 0;
}

/* The controls listed in the field `elements`. */
static int read_elements(struct testctl* tc, snd_config_t* list) {
    if (snd_config_get_type(list) != SND_CONFIG_TYPE_COMPOUND) {
        SNDERR("reelvistatest: elements must be a list");
        return -EINVAL;
    }
    snd_config_iterator_t i, next;
    snd_config_for_each(i, next, list) {
        const char* text;
        if (snd_config_get_string(snd_config_iterator_entry(i), &text) < 0) {
            SNDERR("reelvistatest: an element must be a string");
            return -EINVAL;
        }
        int err = add_element(tc, text);
        if (err < 0) return err;
    }
    return 0;
}

SND_CTL_PLUGIN_DEFINE_FUNC(reelvistatest) {
    (void)root;
    const char* state = NULL;
    snd_config_t* element_list = NULL;
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
        if (strcmp(id, "elements") == 0) {
            element_list = n;
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
    int err = 0;
    if (element_list) {
        err = read_elements(tc, element_list);
    } else {
        for (size_t e = 0; err == 0 && e < sizeof default_elements / sizeof *default_elements; ++e)
            err = add_element(tc, default_elements[e]);
    }
    tc->state_path = err == 0 ? strdup(state) : NULL;
    if (err == 0 && !tc->state_path) err = -ENOMEM;
    if (err < 0) {
        free(tc);
        return err;
    }
    struct state st;
    load_state(tc, &st);
    memcpy(tc->announced, st.values, sizeof st.values);

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

    err = snd_ctl_ext_create(&tc->ext, name, mode);
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
