#include "server/Api.h"

namespace lumavox::server {

// The API as it is served; a test walks every path and method listed here and
// checks that the service answers with one of the statuses given.
const char* Api::openApiDocument() {
    return R"JSON({
  "openapi": "3.0.3",
  "info": {"title": "lumavox-server", "version": "1",
           "description": "Keeps a fleet of LED signs up to date: a registry of signs and a queue of jobs delivered over serial lines, TCP/IP, modems and GPRS devices."},
  "servers": [{"url": "/"}],
  "security": [{"token": []}],
  "components": {
    "securitySchemes": {"token": {"type": "http", "scheme": "bearer",
                                  "description": "The content of the file `token` in the service's state folder."}},
    "schemas": {
      "Error": {"type": "object", "properties": {"error": {"type": "string"}}},
      "SignIn": {"type": "object", "required": ["name", "link"], "additionalProperties": false,
        "properties": {
          "name": {"type": "string", "pattern": "^[A-Za-z0-9_-][A-Za-z0-9._-]{0,63}$"},
          "link": {"type": "string", "description": "serial:DEVICE@BAUD, com:N, tcp:HOST:PORT, gprs:DEVICE or modem:NUMBER"},
          "address": {"type": "integer", "minimum": 0, "maximum": 255, "default": 1},
          "family": {"type": "string", "enum": ["KV2", "NVS"], "default": "KV2"},
          "width": {"type": "integer", "minimum": 1, "default": 160},
          "height": {"type": "integer", "minimum": 1, "default": 16},
          "colourType": {"type": "integer", "enum": [0, 1], "default": 0},
          "groups": {"type": "array", "items": {"type": "string"}}}},
      "Sign": {"allOf": [{"$ref": "#/components/schemas/SignIn"}, {"type": "object", "properties": {
          "createdAt": {"type": "integer"},
          "connected": {"type": "boolean", "description": "GPRS signs: the device is registered"},
          "connectedSince": {"type": "integer"},
          "lastSeen": {"type": "integer", "description": "milliseconds since the epoch"},
          "waitingJob": {"$ref": "#/components/schemas/JobBrief", "description": "The oldest job still queued or sending"},
          "lastJob": {"$ref": "#/components/schemas/JobBrief", "description": "The newest job, whatever its state"},
          "shownJob": {"type": "integer", "description": "The job whose document the sign shows (preview.gif)"}}}]},
      "JobBrief": {"type": "object", "properties": {
          "id": {"type": "integer"}, "kind": {"type": "string"}, "summary": {"type": "string"},
          "state": {"type": "string", "enum": ["queued", "sending", "delivered", "failed", "expired", "cancelled"]},
          "attempts": {"type": "integer"}, "updatedAt": {"type": "integer"}}},
      "Message": {"type": "object", "additionalProperties": false, "required": ["text"], "properties": {
          "text": {"type": "string"},
          "colour": {"oneOf": [{"type": "integer"}, {"type": "string"}], "description": "A code or a name of GET /api/v1/message-options"},
          "effect": {"oneOf": [{"type": "integer"}, {"type": "string"}], "description": "A code or a name of GET /api/v1/message-options"},
          "speed": {"type": "integer", "minimum": 1, "maximum": 8}}},
      "PreviewIn": {"type": "object", "additionalProperties": false, "required": ["message"],
        "description": "A registered sign by name, or a sign's size and family.",
        "properties": {
          "sign": {"type": "string"},
          "width": {"type": "integer", "minimum": 1, "default": 160},
          "height": {"type": "integer", "minimum": 1, "default": 16},
          "family": {"type": "string", "enum": ["KV2", "NVS"], "default": "KV2"},
          "colourType": {"type": "integer", "enum": [0, 1], "default": 0},
          "message": {"$ref": "#/components/schemas/Message"}}},
      "JobIn": {"type": "object", "additionalProperties": false,
        "description": "Exactly one of sign, group and all; exactly one of message, document, glm and command.",
        "properties": {
          "sign": {"type": "string"}, "group": {"type": "string"}, "all": {"type": "boolean", "enum": [true]},
          "message": {"$ref": "#/components/schemas/Message"},
          "document": {"type": "object", "description": "The JSON lumavox-cli build reads"},
          "glm": {"type": "string", "format": "byte", "description": "A document file in base64"},
          "command": {"type": "string", "enum": ["adjust-time", "test-display", "sign-off", "sign-on",
              "clear-memory", "clear-graphics", "clear-schedule", "clear-text", "set-default",
              "read-memory", "read-text-dir", "read-graphic-dir", "read-default", "read-auto-onoff",
              "read-bios", "read-serial", "read-config", "on", "off", "clear"]},
          "name": {"type": "string", "description": "The default file's name, for set-default"},
          "expires": {"type": "integer", "minimum": 1, "default": 86400, "description": "seconds"}}},
      "Job": {"type": "object", "properties": {
          "id": {"type": "integer"}, "sign": {"type": "string"}, "kind": {"type": "string"},
          "operation": {"type": "string"}, "summary": {"type": "string"},
          "state": {"type": "string", "enum": ["queued", "sending", "delivered", "failed", "expired", "cancelled"]},
          "detail": {"type": "string"}, "attempts": {"type": "integer"},
          "createdAt": {"type": "integer"}, "updatedAt": {"type": "integer"},
          "nextTryAt": {"type": "integer"}, "expiresAt": {"type": "integer"}}}}
  },
  "paths": {
    "/": {"get": {"security": [], "summary": "The fleet page; its other files lie beside it. It asks for the token and sends it with every call",
        "responses": {"200": {"description": "The page", "content": {"text/html": {}}},
                      "304": {"description": "The browser holds this copy (If-None-Match)"}}}},
    "/healthz": {"get": {"security": [], "summary": "The service runs",
        "responses": {"200": {"description": "ok"}}}},
    "/api/v1/message-options": {"get": {"summary": "The colours and effects a quick message may name, by family; its speeds; the commands a job may name",
        "responses": {"200": {"description": "{\"families\": {\"KV2\": {\"colours\": [...], \"effects\": [...]}, \"NVS\": {...}}, \"speeds\": {\"minimum\": 1, \"maximum\": 8}, \"commands\": [...]}"},
                      "401": {"description": "No or a wrong token"}}}},
    "/api/v1/preview": {"post": {"summary": "A quick message played as the sign would play it, before it is sent; built as a job's message is",
        "requestBody": {"required": true, "content": {"application/json": {"schema": {"$ref": "#/components/schemas/PreviewIn"}}}},
        "responses": {"200": {"description": "An animated GIF", "content": {"image/gif": {}}},
                      "400": {"description": "A value refused, with its path"},
                      "401": {"description": "No or a wrong token"},
                      "404": {"description": "No such sign"},
                      "413": {"description": "The body is too large"}}}},
    "/api/v1/openapi.json": {"get": {"summary": "This document",
        "responses": {"200": {"description": "The OpenAPI document"}, "401": {"description": "No or a wrong token"}}}},
    "/api/v1/signs": {
      "get": {"summary": "Every registered sign, with the job it waits for, its newest job and the job it shows", "responses": {
          "200": {"description": "{\"signs\": [Sign]}"}, "401": {"description": "No or a wrong token"}}},
      "post": {"summary": "Registers a sign",
        "requestBody": {"required": true, "content": {"application/json": {"schema": {"$ref": "#/components/schemas/SignIn"}}}},
        "responses": {"201": {"description": "Registered"}, "400": {"description": "A value refused, with its path"},
                      "401": {"description": "No or a wrong token"}, "409": {"description": "A sign of that name exists"},
                      "413": {"description": "The body is too large"}}}},
    "/api/v1/signs/{name}": {
      "parameters": [{"name": "name", "in": "path", "required": true, "schema": {"type": "string"}}],
      "get": {"summary": "One sign", "responses": {"200": {"description": "Sign"},
          "401": {"description": "No or a wrong token"}, "404": {"description": "No such sign"}}},
      "delete": {"summary": "Removes a sign and cancels its waiting jobs", "responses": {
          "204": {"description": "Removed"}, "401": {"description": "No or a wrong token"},
          "404": {"description": "No such sign"}}}},
    "/api/v1/signs/{name}/preview.gif": {
      "parameters": [{"name": "name", "in": "path", "required": true, "schema": {"type": "string"}}],
      "get": {"summary": "What the sign should now show: the last document delivered, played as the preview plays it",
        "responses": {"200": {"description": "An animated GIF", "content": {"image/gif": {}}},
                      "401": {"description": "No or a wrong token"},
                      "404": {"description": "No such sign, or nothing delivered yet"}}}},
    "/api/v1/jobs": {
      "get": {"summary": "Jobs, newest first",
        "parameters": [{"name": "sign", "in": "query", "schema": {"type": "string"}},
                       {"name": "limit", "in": "query", "schema": {"type": "integer", "minimum": 1, "maximum": 10000, "default": 200}}],
        "responses": {"200": {"description": "{\"jobs\": [Job]}"}, "400": {"description": "A bad limit"},
                      "401": {"description": "No or a wrong token"}, "404": {"description": "No such sign"}}},
      "post": {"summary": "Queues a job for a sign, a group or every sign (one job per sign)",
        "requestBody": {"required": true, "content": {"application/json": {"schema": {"$ref": "#/components/schemas/JobIn"}}}},
        "responses": {"202": {"description": "{\"id\": first job, \"ids\": [every job]}"},
                      "400": {"description": "A value refused, with its path"},
                      "401": {"description": "No or a wrong token"},
                      "404": {"description": "No such sign or group"},
                      "413": {"description": "The body is too large"}}}},
    "/api/v1/jobs/{id}": {
      "parameters": [{"name": "id", "in": "path", "required": true, "schema": {"type": "integer"}}],
      "get": {"summary": "One job", "responses": {"200": {"description": "Job"},
          "401": {"description": "No or a wrong token"}, "404": {"description": "No such job"}}},
      "delete": {"summary": "Cancels a queued job", "responses": {"200": {"description": "Cancelled"},
          "401": {"description": "No or a wrong token"}, "404": {"description": "No such job"},
          "409": {"description": "The job is no longer queued"}}}},
    "/api/v1/import": {"post": {"summary": "Registers the editor's stored TCP/IP and GPRS groups: each host or device becomes a sign in a group of the group's name; registered signs keep their settings and join the group",
        "responses": {"200": {"description": "{\"signs\": [Sign], \"skipped\": [text]}"},
                      "401": {"description": "No or a wrong token"},
                      "404": {"description": "The service has no stored settings"}}}},
    "/api/v1/events": {"get": {"summary": "Server-sent events: `sign` and `job` changes, each data one JSON line; Last-Event-ID resumes",
        "responses": {"200": {"description": "text/event-stream", "content": {"text/event-stream": {}}},
                      "401": {"description": "No or a wrong token"}}}}
  }
}
)JSON";
}

}  // namespace lumavox::server
